#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillon.
# Without a display it works headless with quillon-cli on the given files.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build

if [ -x build/quillon ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/quillon "$@"
fi

if [ $# -eq 0 ]; then
  sample="$(mktemp -d)/sample.mp4"
  ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i testsrc=size=320x240:rate=25:duration=5 \
    -f lavfi -i sine=frequency=440:duration=5 -pix_fmt yuv420p -shortest "$sample"
  set -- "$sample"
fi
exec build/quillon-cli probe "$@"
