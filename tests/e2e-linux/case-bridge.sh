# The packaged bridge app calls every function of window.zorv; the test cancels its dialogs,
# clicks its menu, looks at the window from outside and lets it close itself.
# Wayland: cancels the file dialogs and opens the menu with keys pressed by xdotool, and reads the window state from X properties
begin_case bridge
pack "$E2E_DIR/apps/bridge" "$CASE_DIR/bridge-app" || { fail "pack"; return; }
start_app pid "$CASE_DIR/bridge-app"
# The two file dialogs: cancelled with Escape as a user would; a call posted just before the first
# one is answered while it is open.
if wait_for_file "$CASE_DIR/beside-dialog.flag" 20; then ok "a call posted with a dialog's is answered while it is open"
else fail "a call posted with a dialog's is answered while it is open"; fi
press_in_window '^zorv-e2e-open$' 40 Escape || fail "open dialog shown"
press_in_window '^zorv-e2e-save$' 20 Escape || fail "save dialog shown"
if wait_for_file "$CASE_DIR/ready.flag" 30; then
    ok "page reported ready"
    wid=$(wait_for_window 'E2E Title' 5)
    check "window title set by the page" sh -c "xprop -id '$wid' _NET_WM_NAME | grep -q 'E2E Title'"
    check "window maximised by the page" sh -c "xprop -id '$wid' _NET_WM_STATE | grep -q _NET_WM_STATE_MAXIMIZED_VERT"
    check "window kept above by the page" sh -c "xprop -id '$wid' _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE"
    # The native menu: Alt+F opens File, Return picks its first item, Open (id 101).
    xdotool windowactivate --sync "$wid" >/dev/null 2>&1
    xdotool key --clearmodifiers alt+f
    sleep 0.3
    xdotool key Return
    sleep 0.5
    sleep 0.7
    check "screenshot is not blank" screenshot_not_blank "$CASE_DIR/bridge.png"
    # Closing from the window manager only asks the page, which keeps the window open.
    wmctrl -i -c "$wid"
    check "a close request reaches zorv.events.onCloseQuery" wait_for_file "$CASE_DIR/close-asked.flag" 10
    sleep 0.5
    check "the window stays open while the page does not agree" kill -0 "$pid"
    touch "$CASE_DIR/close-now"
    wait_exit "$pid" 20
    check "closes itself through zorv.app.close() with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    check_json "$CASE_DIR/results.json" "$E2E_DIR/check-bridge.js"
    check "the relaunch lock file is per user" test -e "$CASE_DIR/run/zorv-com.zorv.e2e.bridge.lock"
else
    fail "page reported ready"
    cat "$CASE_DIR/app.log" | tail -20
fi
stop_started
