#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ file differs from the layout in .clang-format.
# `bash scripts/check-format.sh --fix` rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == "--fix" ]]; then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi
clang-format --dry-run -Werror --style=file "${files[@]}"
