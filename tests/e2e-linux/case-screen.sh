# Full screen is the toolkit's real full screen, stay-on-top is reported only where it is applied,
# and shell.windows lists the app's own window: checked from outside on X11, and through what the
# runtime reports on a headless Wayland compositor (weston) when one is installed.
screen_project() {
    rm -rf "$CASE_DIR/project" "$CASE_DIR"/step-* "$CASE_DIR"/go-*
    cp -r "$E2E_DIR/apps/screen" "$CASE_DIR/project"
    pack "$CASE_DIR/project" "$CASE_DIR/app"
}

# json_has FILE TEXT: whether the step's JSON holds the text (compact JSON, no blanks).
json_has() { grep -qF -- "$2" "$1"; }

wait_step() {  # N
    wait_for_file "$CASE_DIR/step-$1.json" 20
}

go_on() { touch "$CASE_DIR/go-$1"; }

size_of() {  # WID: "WIDTHxHEIGHT" of the client window
    xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}

# Wayland: checks the window from outside through X properties (xwininfo, xprop); screen-wayland checks the same on Wayland
begin_case screen-x11
screen_project
start_app pid "$CASE_DIR/app"
if wid=$(wait_for_window '^Zorv E2E Screen$' 30) && wait_step 1; then
    sleep 0.5
    before=$(size_of "$wid")
    screen=$(xwininfo -root | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    go_on 1
    if wait_step 2; then
        check "enterFullscreen: the window covers the whole screen ($screen, got $(size_of "$wid"))" \
            test "$(size_of "$wid")" = "$screen"
        check "enterFullscreen: the window manager's full-screen state, no decoration" \
            sh -c "xprop -id '$wid' _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN"
        check "enterFullscreen: reported as full screen and maximized" \
            sh -c "grep -qF '\"inFullscreen\":true' '$CASE_DIR/step-2.json' && grep -qF '\"state\":\"maximized\"' '$CASE_DIR/step-2.json'"
    else
        fail "enterFullscreen: the page goes on"
    fi
    go_on 2
    if wait_step 3; then
        check "exitFullscreen: the earlier size $before comes back (got $(size_of "$wid"))" test "$(size_of "$wid")" = "$before"
        check "exitFullscreen: full-screen state left" \
            sh -c "! xprop -id '$wid' _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN"
        check "exitFullscreen: reported as normal" \
            sh -c "grep -qF '\"inFullscreen\":false' '$CASE_DIR/step-3.json' && grep -qF '\"state\":\"normal\"' '$CASE_DIR/step-3.json'"
    else
        fail "exitFullscreen: the page goes on"
    fi
    go_on 3
    if wait_step 4; then
        check "setStyle ontop: applied and reported" \
            sh -c "xprop -id '$wid' _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && grep -qF '\"style\":\"ontop\"' '$CASE_DIR/step-4.json'"
        check "shell.windows lists the app's own window" json_has "$CASE_DIR/step-4.json" '"Zorv E2E Screen"'
        check "getPlatform answers linux" json_has "$CASE_DIR/step-4.json" '"platform":"linux"'
    else
        fail "setStyle: the page goes on"
    fi
    go_on 4
else
    fail "the window shows and the page starts"
fi
wait_exit "$pid" 20
check "closes with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
stop_started

begin_case screen-wayland
if ! command -v weston >/dev/null; then
    echo "  skipped: weston is not installed"
else
    screen_project
    socket=zorv-e2e-$$
    # The compositor's own runtime folder; the app's folder of the case points at the same socket.
    env XDG_RUNTIME_DIR="$CASE_DIR/run" weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
        --width=1280 --height=900 >"$CASE_DIR/weston.log" 2>&1 &
    weston_pid=$!
    wait_for_file "$CASE_DIR/run/$socket" 10 || fail "weston starts"
    APP_ENV+=(WAYLAND_DISPLAY="$socket" GDK_BACKEND=wayland)
    (cd "$CASE_DIR" && exec env -u DISPLAY "${APP_ENV[@]}" "$CASE_DIR/app" >>"$CASE_DIR/app.log" 2>&1) &
    pid=$!
    STARTED_PIDS+=("$pid")
    for n in 1 2 3 4; do
        wait_step "$n" || break
        go_on "$n"
    done
    if [ -e "$CASE_DIR/step-4.json" ]; then
        check "enterFullscreen: reported as full screen and maximized" \
            sh -c "grep -qF '\"inFullscreen\":true' '$CASE_DIR/step-2.json' && grep -qF '\"state\":\"maximized\"' '$CASE_DIR/step-2.json'"
        check "exitFullscreen: reported as normal" \
            sh -c "grep -qF '\"inFullscreen\":false' '$CASE_DIR/step-3.json' && grep -qF '\"state\":\"normal\"' '$CASE_DIR/step-3.json'"
        check "setStyle ontop: not applied on Wayland, so not reported" json_has "$CASE_DIR/step-4.json" '"style":"normal"'
        check "shell.windows lists the app's own window" json_has "$CASE_DIR/step-4.json" '"Zorv E2E Screen"'
        check "getPlatform answers linux" json_has "$CASE_DIR/step-4.json" '"platform":"linux"'
    else
        fail "the page runs every step on Wayland"
    fi
    wait_exit "$pid" 20
    check "closes with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    stop_started
    kill "$weston_pid" 2>/dev/null
    wait "$weston_pid" 2>/dev/null
fi
