#!/usr/bin/env bash
# Runs every Wine end-to-end case (case-*.sh, in name order) and reports "N passed, N failed".
# Expects the environment of scripts/wine-env.sh (prefix, display, persistent wineserver).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
started=$(date +%s)
# ZORV_E2E_ONLY=NAME runs only the cases whose file name contains NAME.
for case_file in "$E2E_DIR"/case-*.sh; do
    [[ "$(basename "$case_file")" == *"${ZORV_E2E_ONLY:-}"* ]] || continue
    source "$case_file"
done
end_case
echo "wine-e2e: $PASSED passed, $FAILED failed ($(( $(date +%s) - started )) s)"
((FAILED)) && printf '  failed: %s\n' "${FAILURES[@]}"
((FAILED == 0))
