#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and the sanitizers and runs
# each for a bounded time, starting from its kept corpus (fuzz/corpus/TARGET/)
# and its generated seeds.
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]         each target SECONDS (default
#                                                 40; all targets): CI
#   scripts/fuzz.sh --long [SECONDS [TARGET...]]  each SECONDS (default 1800),
#                                      then the kept corpora are minimised
#                                      again with what the run found added
#                                      (-merge=1): before a release; commit
#                                      the changed fuzz/corpus/ afterwards
#
# Fails when a target finds a fault (the input is left as
# build/fuzz/TARGET-crash-..., -leak-..., -timeout-...), when it starts without
# seeds, or when a built target is missing from the table below.
set -euo pipefail
cd "$(dirname "$0")/.."

long=0
if [[ ${1:-} == --long ]]; then
  long=1
  shift
fi
seconds=${1:-$((long ? 1800 : 40))}
shift || true
only=" $* "

# Target, the folder of make_seeds' output it starts from, and its own
# options (after the common ones, so they win). The grid calculation and the
# camera search must end in bounded time: a run over the timeout is a
# finding. Grid inputs are photographs: kept to 8 KiB so that the corpus
# stays small (the pixels repeat to fill a larger photograph).
targets=(
  "project_file_fuzz     project"
  "camera_file_fuzz      camera_file"
  "marks_list_fuzz       marks"
  "side_file_fuzz        side_file"
  "bitmap_size_fuzz      bitmap"
  "photo_decode_fuzz     photo"
  "photo_size_fuzz       photo"
  "grid_calculation_fuzz grid         -timeout=20 -max_len=8192"
  "camera_search_fuzz    search       -timeout=60"
  "orientation_fuzz      orientation  -timeout=60"
)

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENVISTA_FUZZ=ON -DPLENVISTA_WERROR=ON \
  -DPLENVISTA_BUILD_GUI=OFF -DPLENVISTA_BUILD_TESTS=OFF -DPLENVISTA_BUILD_BENCHMARKS=OFF
cmake --build "$build"

seeds=$build/seeds
rm -rf "$seeds"
"$build/fuzz/make_seeds" "$seeds"

status=0
listed=" "
for row in "${targets[@]}"; do
  read -r name seed_folder options <<<"$row"
  listed+="$name "
  if [[ $only != "  " && $only != *" $name "* ]]; then continue; fi
  target=$build/fuzz/$name
  kept=fuzz/corpus/$name
  mkdir -p "$kept"
  seed_files=$(find "$seeds/$seed_folder" "$kept" -type f 2>/dev/null | wc -l)
  if ((seed_files == 0)); then
    echo "== $name: no seeds in $seeds/$seed_folder or $kept"
    status=1
    continue
  fi
  work=$build/work/$name
  rm -rf "$work" && mkdir -p "$work"
  log=$build/$name.log
  echo "== $name: ${seconds}s from $seed_files seeds"
  # shellcheck disable=SC2086  # the options are words
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 $options \
       -artifact_prefix="$build/$name-" "$work" "$kept" "$seeds/$seed_folder" 2>"$log"; then
    status=1
    tail -50 "$log"
  fi
  loaded=$(sed -n 's/.*INFO: seed corpus: files: \([0-9]*\).*/\1/p' "$log" | head -1)
  if [[ -z $loaded || $loaded == 0 ]]; then
    echo "$name loaded no seeds"
    status=1
  fi
  grep -E 'INFO: seed corpus|stat::number_of_executed_units|stat::new_units_added|Done [0-9]+ runs|cov: [0-9]+' "$log" \
    | grep -Ev 'NEW|REDUCE|pulse' | tail -4 || true

  if ((long)); then
    merged=$build/merged/$name
    rm -rf "$merged" && mkdir -p "$merged"
    # shellcheck disable=SC2086
    "$target" -merge=1 -rss_limit_mb=2048 -max_len=65536 $options "$merged" "$kept" "$work" "$seeds/$seed_folder" \
      2>"$build/$name.merge.log"
    rm -rf "$kept" && mv "$merged" "$kept"
    echo "$name: kept corpus now $(find "$kept" -type f | wc -l) files, $(($(du -sb "$kept" | cut -f1) / 1024)) KiB"
  fi
done

for target in "$build"/fuzz/*_fuzz; do
  name=$(basename "$target")
  if [[ $listed != *" $name "* ]]; then
    echo "== $name is built but has no row in scripts/fuzz.sh's table"
    status=1
  fi
done
exit $status
