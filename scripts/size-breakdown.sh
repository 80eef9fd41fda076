#!/usr/bin/env bash
# Shows where the bytes of the Windows runtime go: its size, then the code and data of its link
# map summed by library and by object file. Builds the runtime first unless a map is given.
#   scripts/size-breakdown.sh [LINK.map] [OBJECT_COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
map=${1:-}
if [ -z "$map" ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$(nproc)" --target zorv-runtime >/dev/null
  map=build/windows/zorv-runtime.map
  echo "$(stat -c %s build/windows/zorv-runtime.exe) bytes build/windows/zorv-runtime.exe"
fi
python3 scripts/size/breakdown.py "$map" "${2:-40}"
