#!/usr/bin/env bash
# Cross build for Windows x64: every target must compile and link, and the runtime executable
# must stay within its size budget (scripts/size-breakdown.sh shows where its bytes go).
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/build.sh windows

runtime=build/windows/zorv-runtime.exe
budget=$((1536 * 1024))
size=$(stat -c %s "$runtime")
echo "windows: $runtime is $size bytes (budget $budget)"
if [ "$size" -gt "$budget" ]; then
  echo "windows: the runtime grew past its budget; where the bytes go:" >&2
  python3 scripts/size/breakdown.py build/windows/zorv-runtime.map 30 >&2
  exit 1
fi
