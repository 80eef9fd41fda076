# Helpers of the engine cases: the stand-in library in its engine mode, a relay per program run
# that drives one headless Chromium (tests/wine-e2e/relay). Sourced by engine/run.sh after the
# Wine cases' own lib.sh.

RELAY="$E2E_DIR/relay/relay.js"
ENGINE_CASES="$E2E_DIR/engine"
# zorv.system.logoff/reboot/shutdown answer a failure instead of calling ExitWindowsEx, which under
# Wine ends every program of the prefix (the rest of the run with it).
export ZORV_TEST_NO_SESSION_END=1

# start_relay: a relay for the next program run (and a second instance it starts); ZORV_WV2_ENGINE
# tells the library its port. The first page's paint goes to $CASE_DIR/first-paint.png, the relay's
# log to relay.log, the PIDs of its browsers to browser.pid.
start_relay() {
    rm -f "$CASE_DIR/relay.port" "$CASE_DIR/browser.pid"
    node "$RELAY" --port-file "$CASE_DIR/relay.port" --log "$CASE_DIR/relay.log" \
        --drive-c "$WINEPREFIX/drive_c" --scratch "$CASE_DIR" --shot "$CASE_DIR/first-paint.png" \
        --browser-pid-file "$CASE_DIR/browser.pid" </dev/null >>"$CASE_DIR/relay.log" 2>&1 &
    RELAY_PID=$!
    local waited=0
    until [ -s "$CASE_DIR/relay.port" ]; do
        ((waited >= 100)) && { fail "the relay did not start"; return 1; }
        sleep 0.1
        waited=$((waited + 1))
    done
    export ZORV_WV2_ENGINE
    ZORV_WV2_ENGINE=$(cat "$CASE_DIR/relay.port")
}

# stop_relay: ends the relay by its PID (it ends its browsers) and checks that no browser is left.
stop_relay() {
    [ -n "${RELAY_PID:-}" ] || return 0
    kill "$RELAY_PID" 2>/dev/null || true
    wait "$RELAY_PID" 2>/dev/null || true
    RELAY_PID=
    unset ZORV_WV2_ENGINE
    local browser waited
    for browser in $(cat "$CASE_DIR/browser.pid" 2>/dev/null); do
        waited=0
        while kill -0 "$browser" 2>/dev/null && ((waited < 50)); do sleep 0.1; waited=$((waited + 1)); done
        if kill -0 "$browser" 2>/dev/null; then
            fail "the browser (pid $browser) outlived its relay"
            kill -9 "$browser" 2>/dev/null || true
        fi
    done
}

# click_page: the user clicks in the middle of the first program's page (a real input event).
click_page() { kill -USR2 "$RELAY_PID"; }

# engine_case NAME: a Wine case whose browser is the real engine; the scenario is empty.
engine_case() {
    stop_relay
    begin_case "$1"
    echo '{}' >"$CASE_DIR/scenario.json"
}

# wait_file PATH SECONDS
wait_file() {
    local waited=0
    until [ -e "$1" ]; do
        ((waited >= $2 * 10)) && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

# png_not_blank FILE: the picture has more than one colour (ImageMagick counts them).
png_not_blank() {
    [ -s "$1" ] && [ "$(identify -format '%k' "$1" 2>/dev/null)" -gt 1 ]
}
