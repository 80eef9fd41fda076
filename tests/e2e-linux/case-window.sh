# The main window takes its look from the settings.
window_project() {  # EXTRA_INI_LINES
    rm -rf "$CASE_DIR/project" "$CASE_DIR"/ready-* "$CASE_DIR/close-now"
    cp -r "$E2E_DIR/apps/instances" "$CASE_DIR/project"
    printf '%b' "$1" >>"$CASE_DIR/project/zorv.ini"
    pack "$CASE_DIR/project" "$CASE_DIR/app"
}

close_window_app() {
    touch "$CASE_DIR/close-now"
    wait_exit "$1" 20
    check "closes with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    stop_started
}

# Wayland: reads the window geometry and state from X properties (xwininfo, xprop)
begin_case window-defaults
window_project ""
start_app pid "$CASE_DIR/app"
if wid=$(wait_for_window '^Zorv E2E Instances$' 30); then
    geometry=$(xwininfo -id "$wid")
    check "centred on the desktop" sh -c "echo '$geometry' | grep -q 'Absolute upper-left X:  *[1-9]'"
    check "resizable, not kept above" sh -c "! xprop -id '$wid' _NET_WM_STATE | grep -q ABOVE"
    check "the caption is the application name" sh -c "xprop -id '$wid' _NET_WM_NAME | grep -q 'Zorv E2E Instances'"
fi
close_window_app "$pid"

# Wayland: reads the window geometry, size limits and state from X properties (xwininfo, xprop)
begin_case window-settings
window_project "Width=640\nHeight=480\nMinWidth=600\nMinHeight=400\nMaxWidth=700\nMaxHeight=500\nWindowOrder=1\nDynamicAppTitle=1\n"
start_app pid "$CASE_DIR/app"
if wid=$(wait_for_window '^Instances$' 30); then
    ok "DynamicAppTitle: the caption follows the page's title"
    check "640 x 480" sh -c "xwininfo -id '$wid' | grep -q 'Width: 640' && xwininfo -id '$wid' | grep -q 'Height: 480'"
    check "size limits reach the window manager" sh -c "xprop -id '$wid' WM_NORMAL_HINTS | grep -q 'minimum size: 600 by 400' && xprop -id '$wid' WM_NORMAL_HINTS | grep -q 'maximum size: 700 by 500'"
    check "WindowOrder=1 keeps it above" sh -c "xprop -id '$wid' _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE"
else
    fail "DynamicAppTitle: the caption follows the page's title"
fi
close_window_app "$pid"

# Wayland: reads the window state and decoration from X properties (xprop)
begin_case window-fullscreen
window_project "WindowStyle=1\nWindowBorder=3\nWindowState=0\n"
start_app pid "$CASE_DIR/app"
if wid=$(wait_for_window '^Zorv E2E Instances$' 30); then
    sleep 1
    check "WindowStyle=1 starts in the window manager's full screen" \
        sh -c "xprop -id '$wid' _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN"
    check "WindowStyle=1 has no border" sh -c "xprop -id '$wid' _MOTIF_WM_HINTS | grep -q '0x2, 0x0, 0x0'"
else
    fail "full-screen window shows"
fi
close_window_app "$pid"

# A window whose page has died can still be closed: nobody is left to answer the close query.
# Wayland: finds the window with xdotool and asks it to close with wmctrl, both X11 tools
begin_case crashed-page
window_project ""
start_app pid "$CASE_DIR/app"
if wid=$(wait_for_window '^Zorv E2E Instances$' 30) && wait_count 'ready-*' 1 30; then
    web=""
    for child in $(ps -o pid= --ppid "$pid"); do
        [ "$(cat "/proc/$child/comm" 2>/dev/null)" = WebKitWebProces ] && web=$child
    done
    if [ -n "$web" ]; then
        kill -9 "$web"
        sleep 1
        wmctrl -i -c "$wid"
        wait_exit "$pid" 15
        check "closes at once after its web process died (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    else
        fail "found the web process"
    fi
fi
stop_started
