#!/usr/bin/env bash
# Builds the bench preset and runs every Google Benchmark program it made (build/bench/*-bench).
# Extra arguments go to each program, e.g. --benchmark_filter=Extract. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)"
status=0
for program in build/bench/*-bench; do
  [ -x "$program" ] || continue
  echo "=== $(basename "$program")"
  "$program" "$@" || status=1
done
exit $status
