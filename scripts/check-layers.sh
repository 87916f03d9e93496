#!/usr/bin/env bash
# Fails when a file includes from a folder its own folder may not depend on.
# The table below is the one place that says which folder may include which;
# a folder may always include itself, and tests (files whose name contains
# "test") may also include the shared test doubles in testing/, and the
# folders of the second table (a GUI test that checks its result against
# the command-line tool).
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [base]=""
  [model]="base"
  [photogrammetry]="base model"
  [persistence]="base model photogrammetry"
  [export]="base model"
  [platform]="base model photogrammetry export"
  [views]="base model photogrammetry platform"
  [shell]="base model photogrammetry persistence export platform views"
  [cli]="base model photogrammetry persistence export platform"
  [testing]="base model photogrammetry"
  [fuzz]="base model photogrammetry persistence platform testing"
  [bench]="base model photogrammetry persistence export platform views shell testing"
  [tools]="base model photogrammetry persistence export platform views shell testing"
)

declare -A tests_also=(
  [shell]="cli"
)

status=0
while IFS=: read -r file number line; do
  folder=${file%%/*}
  [[ -v allowed[$folder] ]] || continue
  permitted=" $folder ${allowed[$folder]} "
  [[ $(basename "$file") == *test* ]] && permitted+="testing ${tests_also[$folder]:-} "
  included=${line#*\"}
  included=${included%%\"*}
  if [[ $permitted != *" ${included%%/*} "* ]]; then
    echo "$file:$number: $folder/ may not include $included"
    status=1
  fi
done < <(git grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' -- '*.h' '*.cpp')

if ((status)); then
  echo "Include layers: upward includes found (table in scripts/check-layers.sh)" >&2
else
  echo "Include layers: OK"
fi
exit "$status"
