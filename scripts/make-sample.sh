#!/usr/bin/env bash
# Remakes the sample project in sample/ from scratch with the program's own
# code (tools/make_sample.cpp): the grid photograph and its calibration,
# the four photographs of the house, located, modelled and textured; then
# retakes every picture of the README and the manual from it
# (scripts/screenshots.sh), since the program carries the sample.
#   scripts/make-sample.sh [BUILD_DIR]   (default build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/screenshots}

"$root/scripts/build-tools.sh" "$build" plenvista-make-sample
rm -f "$root"/sample/*
"$build/tools/plenvista-make-sample" "$root/sample"
echo "sample written to $root/sample"
"$root/scripts/screenshots.sh" "$build"
