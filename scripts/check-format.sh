#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it
# (.clang-format at the repository root).
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run --Werror
echo "Format: OK"
