#!/usr/bin/env bash
# Builds developer tools of tools/ in a Release tree without tests or
# benchmarks, installing missing packages first.
#   scripts/build-tools.sh BUILD_DIR TARGET...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: scripts/build-tools.sh BUILD_DIR TARGET...}
shift

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPLENVISTA_BUILD_TESTS=OFF -DPLENVISTA_BUILD_BENCHMARKS=OFF -DPLENVISTA_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" --target "$@"
