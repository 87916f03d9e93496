#!/usr/bin/env bash
# Retakes the pictures of the README and the manual: builds the program's
# screenshot tool and runs it on an X server of its own (Xvfb, through
# xvfb-run) on a copy of the sample project the program carries (remake
# that first with scripts/make-sample.sh when the scene changed). Writes
# docs/image-view.png, calibration-mode.png, workflow.png, mixed-display.png,
# cad-view.png, model-3d-view.png, translation-editor.png, export-dialog.png, project-dialog.png,
# camera-editor.png and residuals.png (one photograph's marks disturbed and
# located again, with its residual lines and the "Residuals" dock),
# orient-result.png and tie-points.png (the sample's photographs oriented
# from ten tie points, one of them marked on the wrong corner).
#   scripts/screenshots.sh [BUILD_DIR]   (default build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/screenshots}

"$root/scripts/build-tools.sh" "$build" plenvista-screenshots

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=xcb \
  xvfb-run --auto-servernum --server-args="-screen 0 1400x900x24" \
  "$build/tools/plenvista-screenshots" "$root/docs"
echo "screenshots written to $root/docs"
