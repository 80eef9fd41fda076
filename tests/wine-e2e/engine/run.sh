#!/usr/bin/env bash
# Runs the engine cases (engine/case-*.sh, in name order): the packaged Windows runtime under Wine
# with the stand-in library in its engine mode, a real headless Chromium behind it.
# Expects the environment of scripts/wine-env.sh (prefix, display, persistent wineserver).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/lib.sh"
started=$(date +%s)
trap 'stop_relay' EXIT
# ZORV_E2E_ONLY=NAME runs only the cases whose file name contains NAME.
for case_file in "$ENGINE_CASES"/case-*.sh; do
    [[ "$(basename "$case_file")" == *"${ZORV_E2E_ONLY:-}"* ]] || continue
    source "$case_file"
done
stop_relay
end_case
echo "wine-engine: $PASSED passed, $FAILED failed ($(( $(date +%s) - started )) s)"
((FAILED)) && printf '  failed: %s\n' "${FAILURES[@]}"
((FAILED == 0))
