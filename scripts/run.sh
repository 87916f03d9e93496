#!/usr/bin/env bash
# Installs what is missing, builds Plenvista and starts it. Arguments are
# passed to the program (a project path, for example).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLENVISTA_BUILD_TESTS=OFF -DPLENVISTA_BUILD_BENCHMARKS=OFF
cmake --build "$build"

if [[ -x "$build/shell/plenvista" ]]; then
  exec "$build/shell/plenvista" "$@"
fi
echo "The main window is not built yet. Built so far:"
find "$build" -maxdepth 2 -type f -executable -name 'plenvista*' -print
