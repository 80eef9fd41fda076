#!/usr/bin/env bash
# Every C++ file keeps the layout of .clang-format.
set -euo pipefail
bash "$(dirname "$0")/../check-format.sh"
