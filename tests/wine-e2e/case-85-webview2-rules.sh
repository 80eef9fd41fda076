# What the real WebView2 and Windows do that a lenient browser would hide: a page that cannot run
# the bridge (the browser's error page, its PDF viewer) must not keep the window from closing; a
# window minimised by the user and restored by the page shows its page again; a file dialog runs
# outside the browser's event handler, so calls made while it is open are answered.

begin_case missing-start-page
ini ID=com.zorv.wine.missing "Name=Zorv Wine Missing" DirName=app IndexHtml=missing.html
printf '<!doctype html><title>Other</title>\n' >"$PROJECT/app/index.html"
pack missing
printf '%s' '{"steps": [{"closeWindow": true}]}' >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/missing.exe"
wait_exit "$pid" 20
check "a window showing the error page of a missing start page closes when asked (exit $EXIT_CODE)" \
    test "$EXIT_CODE" = 0
checkjs "... the browser showed its error page" "events('loaded').some((e) => e.page === 'errorPage')"

begin_case pdf-start-page
ini ID=com.zorv.wine.pdf "Name=Zorv Wine Pdf" DirName=app IndexHtml=doc.pdf
printf '%%PDF-1.4\n%%%%EOF\n' >"$PROJECT/app/doc.pdf"
pack pdf
printf '%s' '{"steps": [{"closeWindow": true}]}' >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/pdf.exe"
wait_exit "$pid" 20
check "a window showing a PDF from the archive closes when asked (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "... the browser showed its PDF viewer" "events('loaded').some((e) => e.page === 'pdf')"

begin_case restored-by-page
ini ID=com.zorv.wine.restore "Name=Zorv Wine Restore" DirName=app
printf '<!doctype html><title>Restore</title>\n' >"$PROJECT/app/index.html"
pack restore
node -e '
const m = (id, uuid, data = {}) => ({ message: { id, uuid, data } });
console.log(JSON.stringify({
  steps: [{ pause: "shown" }, { pause: "minimized" }, m(60004, "normal", { state: "normal" }), { waitReply: "normal" },
          { wait: 300 }, { mark: "restored" }, { closeWindow: true }],
  onScript: [{ script: "zorv.events.onCloseQuery();", messages: [m(50001, "close")] }],
}));' >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/restore.exe"
if wait_pause shown; then
    ui minimize "Zorv Wine Restore"
    sleep 0.5
    resume shown
    wait_pause minimized
    checkjs "minimizing the window hides the page" "events('visible').length > 0 && events('visible').slice(-1)[0].value === false"
    resume minimized
fi
wait_exit "$pid" 20
check "the application ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "window.setState normal after a user's minimize shows the page again" \
    "const i = t.findIndex((e) => e.event === 'mark' && e.name === 'restored'); const v = t.slice(0, i).filter((e) => e.event === 'visible'); v.length > 0 && v.slice(-1)[0].value === true"

begin_case dialog-open-calls
ini ID=com.zorv.wine.dialogcalls "Name=Zorv Wine Dialog Calls" DirName=app
printf '<!doctype html><title>Dialog calls</title>\n' >"$PROJECT/app/index.html"
pack dialogcalls
node -e '
const m = (id, uuid, data = {}) => ({ message: { id, uuid, data } });
console.log(JSON.stringify({
  steps: [m(20001, "open", { title: "Pick one" }), { wait: 500 }, m(10001, "hello"), { waitReply: "hello" },
          { mark: "answered" }, { waitReply: "open" }, { closeWindow: true }],
  onScript: [{ script: "zorv.events.onCloseQuery();", messages: [m(50001, "close")] }],
}));' >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/dialogcalls.exe"
if check "openFile shows its dialog" ui wait "Pick one" 20; then
    check "a call made while the dialog is open is answered before it closes" wait_event '"name":"answered"' 10
    ui close "Pick one"
fi
wait_exit "$pid" 20
check "the application ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "both calls answered, each once" \
    "replyFor('hello') === '{\"uuid\": \"hello\", \"success\": true, \"result\": \"2022.1\"}' && replyFor('open') === '{\"uuid\": \"open\", \"success\": true, \"result\": \"\"}'"

# Settings without a byte-order mark in the author's ANSI code page: packed on a Russian system, a
# Windows-1251 zorv.ini is decoded there, so the name and password stay Cyrillic on a machine with
# another code page.
begin_case ansi-settings
mkdir -p "$WINE_SCRATCH/locale"
localedef -i ru_RU -f UTF-8 "$WINE_SCRATCH/locale/ru_RU.UTF-8" >"$CASE_DIR/localedef.log" 2>&1 || true
ini ID=com.zorv.wine.ansi "Name=Привет мир" DirName=app "Password=пароль"
iconv -f UTF-8 -t CP1251 "$PROJECT/zorv.ini" >"$CASE_DIR/zorv.ini" && mv "$CASE_DIR/zorv.ini" "$PROJECT/zorv.ini"
printf '<!doctype html><title>Ansi</title>\n' >"$PROJECT/app/index.html"
env LOCPATH="$WINE_SCRATCH/locale" LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 wine "$WINDOWS_BUILD/zorv-pack.exe" build \
    "$PROJECT" -o "$CASE_DIR/bin/ansi.exe" --runtime "$RUNTIME" >"$CASE_DIR/pack.log" 2>&1 </dev/null
check "the Windows packer on a Windows-1251 system says it packed the settings as UTF-8" \
    grep -q "zorv.ini is not UTF-8" "$CASE_DIR/pack.log"
printf '%s' '{"steps": [{"closeWindow": true}], "onScript": [{"script": "zorv.events.onCloseQuery();", "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]}' \
    >"$CASE_DIR/scenario.json"
start_app ansi "$CASE_DIR/bin/ansi.exe"
if check "on a system with another code page the Cyrillic name captions the password prompt" ui wait "Привет мир" 20; then
    ui type "Привет мир" "пароль"
    ui key "Привет мир" 35
fi
wait_exit "$ansi" 30
check "... and the Cyrillic password unlocks the application (exit $EXIT_CODE)" test "$EXIT_CODE" = 0

# An identifier with folders keeps them: an application that used Company\App finds its data
# (localStorage, IndexedDB) where it left it.
begin_case nested-identifier
ini 'ID=Zorv Company\Nested App' "Name=Zorv Wine Nested" DirName=app
printf '<!doctype html><title>Nested</title>\n' >"$PROJECT/app/index.html"
pack nested
printf '%s' '{"steps": [{"closeWindow": true}], "onScript": [{"script": "zorv.events.onCloseQuery();", "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]}' \
    >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/nested.exe"
wait_exit "$pid" 30
check "the application runs and closes (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
check "its data folder is Zorv Company\\Nested App under the local application data" \
    test -f "$LOCAL_APPDATA/Zorv Company/Nested App/Win64/WebView2LoaderWin64.dll"
checkjs "... which the browser is given as its user data folder" \
    "events('createEnvironment')[0].WEBVIEW2_USER_DATA_FOLDER.endsWith('\\\\Zorv Company\\\\Nested App\\\\Win64\\\\')"
