#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillon.
# Without a display it converts the given files (or a generated sample clip) with quillon-cli.
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
log="$(mktemp)"
status=0
build/quillon-cli convert "$@" 2> >(tee "$log" >&2) || status=$?
wait
echo
if grep -q '^Output: ' "$log"; then
  echo "The outputs went to:"
  sed -n 's/^Output: /  /p' "$log"
else
  echo "No output was written."
fi
rm -f "$log"
exit "$status"
