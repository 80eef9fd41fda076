#!/usr/bin/env bash
# Runs every end-to-end case and ends with "N passed, N failed".
#   run.sh            on the current X display (run it under xvfb-run), under openbox;
#   run.sh --wayland  on a headless weston this script starts and stops, the app getting
#                     GDK_BACKEND=wayland and no DISPLAY. A case marked "# Wayland: REASON" on the
#                     line before its begin_case is left out there, with the reason printed.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
SESSION=x11
[ "${1:-}" = --wayland ] && SESSION=wayland
NOT_APPLICABLE=0

start_x11_session() {
    [ -n "${DISPLAY:-}" ] || { echo "run.sh needs an X display (xvfb-run -a bash $0)"; exit 2; }
    openbox >/dev/null 2>&1 &
    SESSION_PID=$!
    sleep 0.5
}

# A headless weston with a runtime folder of its own; the app reaches it by the socket's absolute
# path, whatever runtime folder the case gives it. No weston, or one that does not start, skips
# the whole pass with the reason.
start_wayland_session() {
    local run_dir="$WORK/wayland"
    if ! command -v weston >/dev/null; then
        echo "e2e (wayland): skipped: weston is not installed"
        rm -rf "$WORK"
        exit 0
    fi
    mkdir -p "$run_dir" && chmod 700 "$run_dir"
    env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$run_dir" weston --no-config \
        --backend=headless-backend.so --socket=wayland-e2e --idle-time=0 --width=1280 --height=1024 \
        >"$WORK/weston.log" 2>&1 &
    SESSION_PID=$!
    if ! wait_for_file "$run_dir/wayland-e2e" 10 || ! kill -0 "$SESSION_PID" 2>/dev/null; then
        echo "e2e (wayland): skipped: weston did not start; its log:"
        sed 's/^/  /' "$WORK/weston.log" | tail -15
        kill "$SESSION_PID" 2>/dev/null
        wait "$SESSION_PID" 2>/dev/null
        rm -rf "$WORK"
        exit 0
    fi
    export E2E_WAYLAND_DISPLAY="$run_dir/wayland-e2e"
    unset DISPLAY
}

# The case file without its blocks marked "# Wayland: REASON": each such block (from its
# begin_case to the next) becomes one line that reports it as not applicable.
wayland_cases_of() {  # CASE_FILE
    awk '
        /^# Wayland:/ { reason = $0; sub(/^# Wayland: */, "", reason); marked = 1; next }
        /^begin_case / {
            skipping = marked; marked = 0
            if (skipping) {
                gsub(/'\''/, "'\''\\'\'''\''", reason)
                printf "not_on_wayland %s '\''%s'\''\n", $2, reason
                next
            }
        }
        !/^#/ { marked = 0 }
        !skipping { print }
    ' "$1"
}

not_on_wayland() {  # CASE_NAME REASON
    NOT_APPLICABLE=$((NOT_APPLICABLE + 1))
    echo "== $1"
    echo "  not on Wayland: $2"
}

# Instances that a page started itself (new windows) are not our children: end whatever still runs
# from this run's work folder.
end_leftovers() {
    stop_started
    local proc exe
    for proc in /proc/[0-9]*; do
        exe=$(readlink "$proc/exe" 2>/dev/null) || continue
        [[ "$exe" == "$WORK/"* ]] && kill -9 "${proc#/proc/}" 2>/dev/null
    done
    kill "$SESSION_PID" 2>/dev/null
    wait "$SESSION_PID" 2>/dev/null
    # The work folder stays for a look only when something failed.
    ((FAILED == 0)) && rm -rf "$WORK"
}

"start_${SESSION}_session"
trap end_leftovers EXIT
echo "work folder: $WORK ($SESSION)"
for case_file in "$E2E_DIR"/case-*.sh; do
    if [ -n "${E2E_ONLY:-}" ] && [[ "$case_file" != *"$E2E_ONLY"* ]]; then continue; fi
    if [ "$SESSION" = wayland ]; then
        source <(wayland_cases_of "$case_file")
    else
        source "$case_file"
    fi
done
if [ "$SESSION" = wayland ]; then
    echo "e2e (wayland): $PASSED passed, $FAILED failed, $NOT_APPLICABLE cases not applicable on Wayland"
else
    echo "e2e (x11): $PASSED passed, $FAILED failed"
fi
for f in "${FAILURES[@]}"; do echo "  failed: $f"; done
((FAILED == 0))
