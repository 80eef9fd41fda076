#!/usr/bin/env bash
# Runs every Wine end-to-end case (case-*.sh, in name order) and reports "N passed, N failed".
# Expects the environment of scripts/wine-env.sh (prefix, display, persistent wineserver).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
started=$(date +%s)
for case_file in "$E2E_DIR"/case-*.sh; do
    source "$case_file"
done
echo "wine-e2e: $PASSED passed, $FAILED failed ($(( $(date +%s) - started )) s)"
((FAILED)) && printf '  failed: %s\n' "${FAILURES[@]}"
((FAILED == 0))
