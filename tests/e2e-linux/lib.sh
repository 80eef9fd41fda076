# Helpers of the end-to-end cases: each case packs a project with the real zorv-pack, runs the
# packaged executable as a user would (on the Xvfb display, under openbox) and looks at it from
# outside. Sourced by run.sh; expects DISPLAY to be set, or E2E_WAYLAND_DISPLAY (the socket of the
# headless weston run.sh --wayland started) for the Wayland pass.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
E2E_DIR="$ROOT/tests/e2e-linux"
BUILD_DIR=${ZORV_BUILD_DIR:-$ROOT/build/linux}
PACK="$BUILD_DIR/zorv-pack"
RUNTIME="$BUILD_DIR/zorv-runtime"
WORK=${E2E_WORK:-$(mktemp -d /tmp/zorv-e2e.XXXXXX)}
PASSED=0
FAILED=0
FAILURES=()
STARTED_PIDS=()

ok() { PASSED=$((PASSED + 1)); echo "  ok: $*"; }
fail() { FAILED=$((FAILED + 1)); FAILURES+=("$CASE_NAME: $*"); echo "  FAIL: $*"; }
check() {  # check "what" command...
    local what=$1; shift
    if "$@" >/dev/null 2>&1; then ok "$what"; else fail "$what"; fi
}

# A fresh folder and a private environment per case: data, runtime and home folders of its own.
begin_case() {
    CASE_NAME=$1
    CASE_DIR="$WORK/$1"
    rm -rf "$CASE_DIR"
    mkdir -p "$CASE_DIR/home" "$CASE_DIR/data" "$CASE_DIR/run"
    chmod 700 "$CASE_DIR/run"
    echo "== $CASE_NAME"
    APP_ENV=(HOME="$CASE_DIR/home" XDG_DATA_HOME="$CASE_DIR/data" XDG_RUNTIME_DIR="$CASE_DIR/run"
             XDG_CONFIG_HOME="$CASE_DIR/home/.config" XDG_CACHE_HOME="$CASE_DIR/home/.cache"
             GSETTINGS_BACKEND=memory DBUS_SESSION_BUS_ADDRESS=disabled: NO_AT_BRIDGE=1 LANG=C.UTF-8
             ZORV_TEST_NO_SESSION_END=1 WEBKIT_DISABLE_DMABUF_RENDERER=1)
    [ -n "${E2E_WAYLAND_DISPLAY:-}" ] && APP_ENV+=(WAYLAND_DISPLAY="$E2E_WAYLAND_DISPLAY" GDK_BACKEND=wayland)
    return 0
}

# pack PROJECT_DIR OUTPUT: the project as zorv-pack packs it.
pack() {
    "$PACK" build "$1" -o "$2" --runtime "$RUNTIME" >"$CASE_DIR/pack.log" 2>&1 || {
        cat "$CASE_DIR/pack.log"
        return 1
    }
}

# start_app NAME EXE ARGS...: runs it in the background; its pid goes into the variable NAME.
start_app() {
    local _var=$1 _exe=$2; shift 2
    # Started from the case folder, as if the user ran it from there.
    (cd "$CASE_DIR" && exec env "${APP_ENV[@]}" "$_exe" "$@" >>"$CASE_DIR/app.log" 2>&1) &
    STARTED_PIDS+=("$!")
    printf -v "$_var" '%s' "$!"
}

# wait_exit PID SECONDS: sets EXIT_CODE to the process's exit code, or to "running" when it has
# not ended after SECONDS. (Not in a command substitution: only this shell can wait for it.)
wait_exit() {
    local pid=$1 limit=$2 waited=0
    EXIT_CODE=running
    while [ "$(ps -p "$pid" -o stat= 2>/dev/null | tr -d ' ')" != "" ] &&
          [[ "$(ps -p "$pid" -o stat= 2>/dev/null)" != *Z* ]]; do
        ((waited >= limit * 10)) && return
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$pid" 2>/dev/null
    EXIT_CODE=$?
}

count_files() { compgen -G "$CASE_DIR/$1" | wc -l; }

wait_count() {  # GLOB COUNT SECONDS
    local waited=0
    until [ "$(count_files "$1")" -ge "$2" ]; do
        ((waited >= $3 * 10)) && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

wait_for_file() {  # FILE SECONDS
    local waited=0
    until [ -e "$1" ]; do
        ((waited >= $2 * 10)) && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

# The id of the first visible window whose title matches the regular expression, waiting up to
# SECONDS for it.
wait_for_window() {  # REGEX SECONDS
    local waited=0 wid
    while :; do
        wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
        [ -n "$wid" ] && { echo "$wid"; return 0; }
        ((waited >= $2 * 10)) && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

# Presses keys in the window once it shows.
press_in_window() {  # REGEX SECONDS KEYS...
    local regex=$1 limit=$2; shift 2
    local wid
    wid=$(wait_for_window "$regex" "$limit") || return 1
    xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
    sleep 0.3
    xdotool key --clearmodifiers "$@"
}

# Whether a screenshot of the whole display shows more than one flat colour.
screenshot_not_blank() {  # FILE
    import -window root "$1" 2>/dev/null || return 1
    local deviation
    deviation=$(convert "$1" -colorspace Gray -format '%[fx:standard_deviation]' info: 2>/dev/null)
    awk -v d="$deviation" 'BEGIN { exit !(d > 0.02) }'
}

# Node checks a JSON results file against a script of expectations; prints each outcome.
check_json() {  # RESULTS_FILE CHECK_SCRIPT (environment for node may precede the call)
    local line
    while IFS= read -r line; do
        case "$line" in
            ok:*) ok "${line#ok: }" ;;
            FAIL:*) fail "${line#FAIL: }" ;;
            *) echo "  $line" ;;
        esac
    done < <(node "$2" "$1" "$CASE_DIR" 2>&1)
}

# The remote site of the trust cases (trust/server.js) for this case; false when it did not start.
start_remote_site() {
    node "$E2E_DIR/trust/server.js" "$CASE_DIR" >"$CASE_DIR/server.log" 2>&1 &
    STARTED_PIDS+=("$!")
    wait_for_file "$CASE_DIR/port" 10
}

# Waits until a page of the remote site has reported NAME.
wait_for_report() {  # NAME SECONDS
    local waited=0
    until grep -q "\"name\":\"$1\"" "$CASE_DIR/reports.log" 2>/dev/null || ((waited >= $2 * 10)); do
        sleep 0.1
        waited=$((waited + 1))
    done
}

# How many processes run EXE: instances a page started are not this harness's children.
count_instances() {  # EXE
    local proc count=0
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/exe" 2>/dev/null)" = "$1" ] && count=$((count + 1))
    done
    echo "$count"
}

# Ends whatever a case left running (only processes this harness started).
stop_started() {
    local pid
    for pid in "${STARTED_PIDS[@]}"; do
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null
            sleep 0.5
            kill -9 "$pid" 2>/dev/null
        fi
        wait "$pid" 2>/dev/null
    done
    STARTED_PIDS=()
}
