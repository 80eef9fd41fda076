# Helpers of the Wine end-to-end cases: each case makes a project, packs it with the real
# zorv-pack, runs the packaged executable under Wine with the stand-in WebView2 loader playing the
# browser, works its windows from outside and checks what the browser saw (the transcript).
# Sourced by run.sh inside a prepared Wine environment (scripts/wine-env.sh).

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
E2E_DIR="$ROOT/tests/wine-e2e"
# ZORV_E2E_WINDOWS_BUILD and ZORV_E2E_LINUX_BUILD name other build folders than the presets' own.
WINDOWS_BUILD=${ZORV_E2E_WINDOWS_BUILD:-$ROOT/build/windows}
LINUX_BUILD=${ZORV_E2E_LINUX_BUILD:-$ROOT/build/linux}
TOOLS="$WINDOWS_BUILD/tests/wine-e2e"
PACK="$LINUX_BUILD/zorv-pack"
RUNTIME="$WINDOWS_BUILD/zorv-runtime.exe"
# ZORV_E2E_WORK keeps the cases' folders (transcripts, logs) somewhere that outlives the run.
WORK=${ZORV_E2E_WORK:-$(mktemp -d "${WINE_SCRATCH:-/tmp}/e2e.XXXXXX")}
PASSED=0
FAILED=0
FAILURES=()

ok() { PASSED=$((PASSED + 1)); echo "  ok: $*"; }
fail() { FAILED=$((FAILED + 1)); FAILURES+=("$CASE_NAME: $*"); echo "  FAIL: $*"; }
check() {  # check "what" command...
    local what=$1; shift
    if "$@" >/dev/null 2>&1; then ok "$what"; else fail "$what"; fi
}

# The Windows name of a Unix path (Wine maps / to drive Z:).
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# The file:/// URL of a Unix path, as a page would write it.
fileurl() { printf 'file:///Z:%s' "$1"; }

LOCAL_APPDATA=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local 2>/dev/null | grep -v /Public/ | head -n 1)

# end_case: the browser's side of the case that ran last kept WebView2's rules: no object used
# from another thread, no message loop inside an event handler, no call WebView2 refuses.
end_case() {
    [ -n "${CASE_NAME:-}" ] && [ -f "${TRANSCRIPT:-}" ] || return 0
    checkjs "the runtime kept the browser's rules" "contractHeld()"
}

begin_case() {
    end_case
    CASE_NAME=$1
    CASE_DIR="$WORK/$1"
    PROJECT="$CASE_DIR/project"
    TRANSCRIPT="$CASE_DIR/transcript.jsonl"
    mkdir -p "$PROJECT/app" "$CASE_DIR/bin"
    cp "$TOOLS/WebView2LoaderWin64.dll" "$PROJECT/"
    echo "== $CASE_NAME"
    export ZORV_WV2_SCENARIO ZORV_WV2_TRANSCRIPT
    ZORV_WV2_SCENARIO=$(winpath "$CASE_DIR/scenario.json")
    ZORV_WV2_TRANSCRIPT=$(winpath "$TRANSCRIPT")
    unset ZORV_WV2_RUNTIME_MARKER ZORV_INSTALLER_LOG ZORV_INSTALLER_EXIT ZORV_INSTALLER_DELAY_MS
}

# ini KEY=VALUE...: the project's zorv.ini, section App.
ini() {
    { echo "[App]"; printf '%s\n' "$@"; } >"$PROJECT/zorv.ini"
}

# pack NAME: packs the project into $CASE_DIR/bin/NAME.exe.
pack() {
    "$PACK" build "$PROJECT" -o "$CASE_DIR/bin/$1.exe" --runtime "$RUNTIME" >"$CASE_DIR/pack.log" 2>&1 || {
        cat "$CASE_DIR/pack.log"
        return 1
    }
}

# start_app VAR EXE ARGS...: runs the program under Wine in the background; its pid goes into VAR.
start_app() {
    local _var=$1 _exe=$2; shift 2
    (cd "$(dirname "$_exe")" && exec wine "$_exe" "$@" >>"$CASE_DIR/app.log" 2>&1 </dev/null) &
    printf -v "$_var" '%s' "$!"
}

# wait_exit PID SECONDS: EXIT_CODE becomes the exit code, or "running" (and the process is ended).
wait_exit() {
    local pid=$1 limit=$2 waited=0
    EXIT_CODE=running
    while kill -0 "$pid" 2>/dev/null; do
        if ((waited >= limit * 10)); then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
            return
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$pid" 2>/dev/null && EXIT_CODE=0 || EXIT_CODE=$?
}

# ui ARGS...: the UI helper; its output lands in $CASE_DIR/ui.out.
ui() { wine "$TOOLS/zorv-ui.exe" "$@" >"$CASE_DIR/ui.out" 2>/dev/null </dev/null; }

# wait_event PATTERN SECONDS: waits until a transcript line contains PATTERN (fixed text).
wait_event() {
    local waited=0
    until [ -f "$TRANSCRIPT" ] && grep -qF -- "$1" "$TRANSCRIPT"; do
        ((waited >= $2 * 10)) && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}
# wait_pause NAME: waits for the page to stop at the step {"pause": NAME}; resume NAME lets it go on.
wait_pause() { wait_event "\"name\":\"$1\"" "${2:-30}"; }
resume() { : >"$TRANSCRIPT.$1"; }

# checkjs WHAT EXPRESSION: a check on the transcript in Node; `t` is the list of its entries,
# `ui` the last UI helper dump when there is one.
checkjs() {
    local what=$1 expression=$2 out
    if out=$(node "$E2E_DIR/check.js" "$TRANSCRIPT" "$CASE_DIR/ui.out" "$expression" 2>&1); then
        ok "$what"
    else
        fail "$what"
        printf '%s\n' "$out" | head -n 20 | sed 's/^/      /'
    fi
}
