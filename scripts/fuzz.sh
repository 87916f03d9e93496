#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and the sanitizers and runs
# each for a bounded time (default 60 seconds each) on a generated seed
# corpus.   scripts/fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENVISTA_FUZZ=ON -DPLENVISTA_WERROR=ON \
  -DPLENVISTA_BUILD_GUI=OFF -DPLENVISTA_BUILD_TESTS=OFF -DPLENVISTA_BUILD_BENCHMARKS=OFF
cmake --build "$build"

corpus=$build/corpus
rm -rf "$corpus"
"$build/fuzz/make_seeds" "$corpus"

status=0
for target in "$build"/fuzz/*_fuzz; do
  name=$(basename "$target")
  seeds=$corpus/${name%_fuzz}
  mkdir -p "$seeds"
  work=$build/work/$name
  rm -rf "$work" && mkdir -p "$work"
  echo "== $name: ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
       -artifact_prefix="$build/" "$work" "$seeds" 2>"$build/$name.log"; then
    status=1
    tail -50 "$build/$name.log"
  fi
  grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$build/$name.log" | tail -2 || true
done
exit $status
