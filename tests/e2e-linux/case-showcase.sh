# The showcase starts, reports ready and closes when the window manager asks it to.
# Wayland: finds the window with xdotool, takes an X11 screenshot and asks it to close with wmctrl, all X11 tools
begin_case showcase
pack "$ROOT/examples/showcase" "$CASE_DIR/zorv-showcase" || { fail "pack"; return; }
mkdir -p "$CASE_DIR/tmp"
APP_ENV+=(TMPDIR="$CASE_DIR/tmp")
start_app pid "$CASE_DIR/zorv-showcase"
if wait_for_file "$CASE_DIR/tmp/org.zorv.showcase.ready" 40; then
    ok "the showcase reports ready"
    wid=$(wait_for_window '^Zorv Showcase$' 5)
    sleep 0.7
    check "screenshot is not blank" screenshot_not_blank "$CASE_DIR/showcase.png"
    wmctrl -i -c "$wid"
    wait_exit "$pid" 15
    check "an unchanged note closes on the first request (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
else
    fail "the showcase reports ready"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started
