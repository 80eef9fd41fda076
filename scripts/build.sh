#!/usr/bin/env bash
# Configures and builds one preset: linux (default), asan, bench or windows.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-linux}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
