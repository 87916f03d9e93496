#!/usr/bin/env bash
# Retakes the README's screenshots: builds the program's screenshot tool and
# runs it on an X server of its own (Xvfb, through xvfb-run) with a small
# generated project: a little house photographed twice, both photographs
# located, its corners and faces modelled. Writes docs/image-view.png,
# docs/mixed-display.png, docs/cad-view.png, docs/camera-editor.png and
# docs/residuals.png (one photograph with disturbed marks, its residuals).
#   scripts/screenshots.sh [BUILD_DIR]   (default build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/screenshots}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPLENVISTA_BUILD_TESTS=OFF -DPLENVISTA_BUILD_BENCHMARKS=OFF -DPLENVISTA_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" --target plenvista-screenshots

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=xcb \
  xvfb-run --auto-servernum --server-args="-screen 0 1400x900x24" \
  "$build/tools/plenvista-screenshots" "$root/docs"
echo "screenshots written to $root/docs"
