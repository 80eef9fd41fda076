# Closing when the page cannot answer: a page that ignores the close query keeps the window; a
# window showing a foreign page, or one whose web view could not be made, closes at once.
begin_case close-query
ini ID=com.zorv.wine.close "Name=Zorv Wine Close" DirName=app
printf '<!doctype html><title>Close</title>\n' >"$PROJECT/app/index.html"
pack close
printf '%s' '{"steps": [{"closeWindow": true}, {"wait": 300}, {"pause": "asked"}, {"navigate": "https://example.com/"}, {"closeWindow": true}]}' \
    >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/close.exe"
if wait_pause asked; then
    check "a page that does not answer the close query keeps the window open" ui wait "Zorv Wine Close" 1
    checkjs "... after being asked once" "scripts().filter((s) => s === 'zorv.events.onCloseQuery();').length === 1"
    resume asked
fi
wait_exit "$pid" 20
check "a window showing a foreign page closes at once (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "... without asking that page" "scripts().filter((s) => s === 'zorv.events.onCloseQuery();').length === 1"

begin_case no-webview
ini ID=com.zorv.wine.noview "Name=Zorv Wine No View" DirName=app
printf '<!doctype html><title>No view</title>\n' >"$PROJECT/app/index.html"
pack noview
printf '%s' '{"environmentResult": "0x80004005"}' >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/noview.exe"
if check "the main window opens even when the web view cannot be made" ui wait "Zorv Wine No View" 20; then
    wait_event '"event":"createEnvironment"' 10
    sleep 0.5
    ui dump "Zorv Wine No View"
    checkjs "... without a message, the activity bar still running" \
        "ui.controls.some((c) => c.class === 'msctls_progress32' && c.visible) && events('navigate').length === 0"
    ui count "class:#32770"
    check "... and no message box" test "$(tr -d '\r\n' <"$CASE_DIR/ui.out")" = 0
    ui close "Zorv Wine No View"
fi
wait_exit "$pid" 20
check "... and closes at once when the user closes it (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
