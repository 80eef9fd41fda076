# The window as the page sees it in the engine: the web view's bounds are its viewport, minimizing
# hides the page and restoring shows it again (put_IsVisible), the browser's own script dialogs are
# dismissed (default dialogs: no event), and a new document title reaches the window's caption.
engine_case engine-window
cp -r "$ENGINE_CASES/apps/window/." "$PROJECT/"
ini ID=com.zorv.engine.window "Name=Zorv Engine Window" DirName=app Width=640 Height=480 DynamicAppTitle=1
pack window
start_relay
start_app pid "$CASE_DIR/bin/window.exe"
if check "the page reported" wait_file "$CASE_DIR/bin/window.json" 30; then
    node -e 'console.log(JSON.stringify({ event: "windowResults", results: JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, "")) }))' \
        "$CASE_DIR/bin/window.json" >>"$TRANSCRIPT"
    check "the caption follows the document's title" ui wait "Retitled page" 10
    ui dump "Retitled page"
    checkjs "the viewport is the web view's area of the window" \
        "const r = events('windowResults')[0].results; r.sizeAfterRestore[0] === ui.client[0] && r.sizeAfterRestore[1] === ui.client[1]"
    checkjs "minimized, the page is hidden; restored, visible again" \
        "events('windowResults')[0].results.visibility.join() === 'hidden,visible'"
    checkjs "the browser's own dialogs are dismissed: alert goes on, confirm false, prompt null" \
        "const r = events('windowResults')[0].results; r.confirmed === false && r.prompted === null && events('scriptDialog').length === 3"
    : >"$CASE_DIR/bin/close-now"
fi
wait_exit "$pid" 20
check "the page closes itself (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
stop_relay
