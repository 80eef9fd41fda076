# A third-party widget inside an application page, tried as an attacker would: it asks for
# permissions, opens windows and the desktop browser, starts a download, reaches for the app's
# content every way a document can, and moves the top, with and without a click. The app's own
# content, workers, modules and same-origin frames keep working.
# Wayland: the widget is clicked with xdotool, an X11 tool
begin_case frames
pack "$E2E_DIR/apps/frames" "$CASE_DIR/frames-app" || { fail "pack"; return; }
if ! start_remote_site; then fail "remote site started"; stop_started; return; fi
# The desktop's browser is a recorder of what it is asked to open.
mkdir -p "$CASE_DIR/data/applications" "$CASE_DIR/home/.config"
printf '#!/bin/sh\necho "$1" >>"%s/browser.log"\n' "$CASE_DIR" >"$CASE_DIR/browser.sh"
chmod +x "$CASE_DIR/browser.sh"
printf '[Desktop Entry]\nType=Application\nName=Recorder\nExec=%s %%u\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\nNoDisplay=true\n' \
    "$CASE_DIR/browser.sh" >"$CASE_DIR/data/applications/recorder.desktop"
printf '[Default Applications]\nx-scheme-handler/http=recorder.desktop\nx-scheme-handler/https=recorder.desktop\n' \
    >"$CASE_DIR/home/.config/mimeapps.list"
start_app pid "$CASE_DIR/frames-app"
if wait_for_file "$CASE_DIR/app-results.json" 40; then
    wait_for_report ready 30
    # One click into the widget.
    if wid=$(wait_for_window 'Frames' 5); then
        xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
        xdotool mousemove --window "$wid" 150 50 click 1
    fi
    wait_for_report clicked 10
    # A click into the app page, then one into the widget's child that runs no script, on a link
    # that leaves for a remote page in the top: that second gesture is not the application's.
    if [ -n "${wid:-}" ]; then
        xdotool mousemove --window "$wid" 600 400 click 1
        sleep 0.5
        xdotool mousemove --window "$wid" 150 150 click 1
    fi
    sleep 2
    # The app page answers only if it is still the window's page.
    touch "$CASE_DIR/ping"
    wait_for_file "$CASE_DIR/pong" 5
    wait_for_file "$CASE_DIR/bfcache.txt" 10
    check "a call in flight when the page entered the back/forward cache is settled when it is back" \
        grep -q rejected "$CASE_DIR/bfcache.txt"
    check "nothing the widget asked for ran" test -z "$(compgen -G "$CASE_DIR/pwned-*")"
    check "no download was written" test -z "$(find "$CASE_DIR" -name 'remote.bin*')"
    instances=$(count_instances "$CASE_DIR/frames-app")
    check "the widget started no instance (running: $instances)" test "$instances" = 1
    check_json "$CASE_DIR/app-results.json" "$E2E_DIR/trust/check-frames.js"
else
    fail "the app page wrote its results"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started
