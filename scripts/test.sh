#!/usr/bin/env bash
# Installs what is missing; checks the include layers and the layout; builds and starts the program exactly as
# scripts/run.sh does (warnings as errors here); builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs every test
# headless.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# Seconds each: includes only along the folder table, layout as .clang-format says.
scripts/check-layers.sh
scripts/check-format.sh

scripts/build-release.sh --strict
scripts/smoke.sh build/release-strict

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENVISTA_SANITIZE=ON -DPLENVISTA_WERROR=ON
cmake --build "$build"

# The fuzz targets, a bounded time each (FUZZ_SECONDS, default 25: about
# four minutes for all of them; scripts/fuzz.sh --long before a release),
# before the unit tests so that the test summary closes the output.
scripts/fuzz.sh "${FUZZ_SECONDS:-25}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
