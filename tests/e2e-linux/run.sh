#!/usr/bin/env bash
# Runs every end-to-end case on the current X display (run it under xvfb-run). Starts openbox
# for window states and stacking, and ends with "N passed, N failed".
set -uo pipefail
source "$(dirname "$0")/lib.sh"
[ -n "${DISPLAY:-}" ] || { echo "run.sh needs an X display (xvfb-run -a bash $0)"; exit 2; }
openbox >/dev/null 2>&1 &
WM_PID=$!
sleep 0.5
# Instances that a page started itself (new windows) are not our children: end whatever still runs
# from this run's work folder.
end_leftovers() {
    stop_started
    local proc exe
    for proc in /proc/[0-9]*; do
        exe=$(readlink "$proc/exe" 2>/dev/null) || continue
        [[ "$exe" == "$WORK/"* ]] && kill -9 "${proc#/proc/}" 2>/dev/null
    done
    kill "$WM_PID" 2>/dev/null
    wait "$WM_PID" 2>/dev/null
    # The work folder stays for a look only when something failed.
    ((FAILED == 0)) && rm -rf "$WORK"
}
trap end_leftovers EXIT
echo "work folder: $WORK"
for case_file in "$E2E_DIR"/case-*.sh; do
    if [ -n "${E2E_ONLY:-}" ] && [[ "$case_file" != *"$E2E_ONLY"* ]]; then continue; fi
    source "$case_file"
done
echo "e2e: $PASSED passed, $FAILED failed"
for f in "${FAILURES[@]}"; do echo "  failed: $f"; done
((FAILED == 0))
