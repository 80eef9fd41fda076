# The Linux end-to-end bridge page, unchanged, under the Windows runtime in a real Chromium: every
# function of window.zorv from real JavaScript, its two file dialogs cancelled, a menu click, the
# close protocol (the window's close button asks the page, which keeps the window until told);
# checked by the Linux case's own checker with the Windows column of its platform table.
engine_case engine-bridge
cp -r "$ROOT/tests/e2e-linux/apps/bridge/." "$PROJECT/"
pack bridge-app
bin="$CASE_DIR/bin"
start_relay
start_app pid "$bin/bridge-app.exe"
if check "the open dialog is shown" ui wait zorv-e2e-open 60; then
    ui close zorv-e2e-open
fi
if check "the save dialog is shown" ui wait zorv-e2e-save 20; then
    ui close zorv-e2e-save
fi
if check "the page reports ready" wait_file "$bin/ready.flag" 30; then
    check "a call posted with a dialog's is answered" test -e "$bin/beside-dialog.flag"
    # The menu's identifier of File > Open, as the library read it in the program.
    open_id=$(node -e 'const t = require("fs").readFileSync(process.argv[1], "utf8").split("\n").filter(Boolean).map(JSON.parse);
const menu = t.filter((e) => e.event === "menu").pop(); console.log(menu.items[0].items[0].id)' "$TRANSCRIPT")
    check "the user picks File > Open" ui command "~E2E Title" "$open_id"
    check "the click runs the page's handler" wait_event '"script":"zorv.events.onMainMenuItemClick(101);"' 10
    sleep 0.5
    ui close "~E2E Title"
    check "the close button reaches zorv.events.onCloseQuery" wait_file "$bin/close-asked.flag" 10
    sleep 0.5
    check "the window stays open while the page does not agree" kill -0 "$pid"
    : >"$bin/close-now"
fi
wait_exit "$pid" 20
check "the page closes through zorv.app.close() (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
if node "$ROOT/tests/e2e-linux/check-bridge.js" "$bin/results.json" "$CASE_DIR" windows >"$CASE_DIR/check.out" 2>&1; then
    ok "the Linux checker passes the page's results (platform windows)"
else
    fail "the Linux checker passes the page's results (platform windows)"
    grep FAIL "$CASE_DIR/check.out" | head -20 | sed 's/^/      /'
fi
check "the first paint is not blank" png_not_blank "$CASE_DIR/first-paint.png"
checkjs "the transcript names the engine build" "events('engine').some((e) => /HeadlessChrome\\//.test(e.product))"
checkjs "the bridge messages came from the real page" \
    "events('webMessage').length > 40 && events('webMessage').every((e) => e.source.startsWith('file:///'))"
stop_relay
