#!/usr/bin/env bash
# Installs what is missing, builds Plenvista and starts it. Arguments are
# passed to the program (a project path, for example).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build-release.sh
exec build/release/shell/plenvista "$@"
