#!/usr/bin/env bash
# Redraws the screenshots in docs/ on a virtual X server: builds the
# screenshot tool in BUILD_DIR (default build/dev) and runs it.
#   scripts/screenshots.sh [BUILD_DIR] [NAME ...]   (no names: all of them)
# Each screenshot is a function of shell/screenshots.cpp; add new ones there.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
shift || true

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target plenvista-screenshots
# A sanitizer build would report what the X libraries keep until exit.
xvfb-run -a -s "-screen 0 1600x1000x24" env QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
  "$build/shell/plenvista-screenshots" docs "$@"
