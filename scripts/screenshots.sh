#!/usr/bin/env bash
# Takes the documentation's screenshots of the real windows on a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target ui_tests -j2
mkdir -p docs/screenshots
QUILLON_SCREENSHOT_DIR="$PWD/docs/screenshots" xvfb-run -a -s "-screen 0 1280x800x24" \
  build/tests/ui_tests --gtest_filter='*ScreenshotsTest.*'
ls -l docs/screenshots
