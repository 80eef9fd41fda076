#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test stage in scripts/test.d in order.
# Ends with one summary line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
passed=0; failed=0; failures=()
for stage in scripts/test.d/*.sh; do
  name=$(basename "$stage" .sh)
  echo "=== stage $name"
  start=$(date +%s)
  if bash "$stage"; then passed=$((passed+1)); result=ok; else failed=$((failed+1)); failures+=("$name"); result=FAILED; fi
  echo "=== stage $name: $result ($(( $(date +%s) - start )) s)"
done
((failed)) && echo "failed stages: ${failures[*]}"
echo "$passed passed, $failed failed"
((failed == 0))
