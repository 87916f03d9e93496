#!/usr/bin/env bash
# Starts the built programs headless as a user would and fails when they do
# not come up: both answer --version, and the window program keeps running
# for a few seconds on an offscreen display with fresh settings, having
# copied the sample project for its first start.
#   scripts/smoke.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: scripts/smoke.sh BUILD_DIR}

"$build/shell/plenvista" --version
"$build/cli/plenvista-cli" --version

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
status=0
HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=offscreen \
  timeout 3 "$build/shell/plenvista" >"$home/out.log" 2>&1 || status=$?
if [[ $status -ne 124 ]]; then
  echo "plenvista did not stay up (exit status $status):"
  cat "$home/out.log"
  exit 1
fi
# A first start opens a copy of the sample project in the user's data directory.
if [[ -z $(find "$home/.local/share" -name house.op2 2>/dev/null) ]]; then
  echo "the first start did not copy the sample project:"
  cat "$home/out.log"
  exit 1
fi
echo "plenvista started on a copy of the sample project and ran for 3 s"
