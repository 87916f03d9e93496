#!/usr/bin/env bash
# Fails when a file includes from a folder its own folder may not depend on.
# The rules are read from ARCHITECTURE.md, the one place that says which
# folder may include which: the table under "folder  may include" and,
# for tests (files whose name contains "test"), the table under
# "tests in  may also include". A folder may always include itself and a
# test also the shared test doubles in testing/. Apart from the tables, only
# model/ may include model/project_edit.h (the model's operations alone mark
# the project changed).
set -euo pipefail
cd "$(dirname "$0")/.."

# Prints "folder dependency dependency ..." for each row of the table whose
# header line starts with $1, up to the first blank line.
read_table() {
  awk -v header="$1" '
    index($0, header) == 5 { inside = 1; next }
    inside && NF == 0 { exit }
    inside {
      folder = $1; sub(/\/$/, "", folder)
      line = $0; sub(/^[[:space:]]*[^[:space:]]+[[:space:]]*/, "", line)
      gsub(/,/, " ", line); if (line == "-") line = ""
      print folder, line
    }' ARCHITECTURE.md
}

declare -A allowed=() tests_also=()
while read -r folder dependencies; do allowed[$folder]=$dependencies; done < <(read_table "folder           may include")
while read -r folder dependencies; do tests_also[$folder]=$dependencies; done < <(read_table "tests in         may also include")
if ((${#allowed[@]} == 0)); then
  echo "Include layers: no layer table found in ARCHITECTURE.md" >&2
  exit 1
fi

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

# Only the model's operations mark the project changed.
while IFS=: read -r file number _; do
  echo "$file:$number: only model/ may include model/project_edit.h"
  status=1
done < <(git grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"model/project_edit.h"' -- '*.h' '*.cpp' ':!model/')

if ((status)); then
  echo "Include layers: upward includes found (table in ARCHITECTURE.md)" >&2
else
  echo "Include layers: OK"
fi
exit "$status"
