#!/usr/bin/env bash
# Builds the program as scripts/run.sh starts it: Release, no tests, no
# benchmarks. One build step for both scripts, so what CI checks is what a
# user gets.   scripts/build-release.sh [--strict]
# --strict (scripts/test.sh, hence CI) makes compiler warnings errors and
# builds in its own folder; a user's build never fails on a warning.
# Prints nothing but the build's own output; the build folder is
# build/release (build/release-strict with --strict).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/release
werror=OFF
if [[ "${1:-}" == "--strict" ]]; then
  build=build/release-strict
  werror=ON
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLENVISTA_BUILD_TESTS=OFF \
  -DPLENVISTA_BUILD_BENCHMARKS=OFF -DPLENVISTA_WERROR="$werror"
cmake --build "$build"
