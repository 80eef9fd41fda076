# Start-up decisions seen from outside: the loader copied once into the data folder and never
# replaced, the WebView2 variables, one running instance and the (identifier, URL) relaunch, the
# password prompt, and the "not a valid application" message in German.
begin_case startup
ini ID=com.zorv.wine.startup "Name=Zorv Wine Startup" DirName=app
printf '<!doctype html><title>Startup</title>\n' >"$PROJECT/app/index.html"
printf '<!doctype html><title>Other</title>\n' >"$PROJECT/app/other.html"
pack startup
exe="$CASE_DIR/bin/startup.exe"
data="$LOCAL_APPDATA/com.zorv.wine.startup"
data_win="C:\\users\\$(basename "$(dirname "$(dirname "$LOCAL_APPDATA")")")\\AppData\\Local\\com.zorv.wine.startup\\"
cat >"$CASE_DIR/scenario.json" <<'JSON'
{
  "steps": [{"pause": "running"}, {"closeWindow": true}],
  "stepsByUrl": {"file:///other.html": [{"mark": "relaunched"}, {"closeWindow": true}]},
  "onScript": [{"script": "zorv.events.onCloseQuery();",
                "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]
}
JSON
environments() { grep -c '"event":"createEnvironment"' "$TRANSCRIPT" || true; }
# Variables a user might have set: the runtime puts its own in their place.
WEBVIEW2_BROWSER_EXECUTABLE_FOLDER='Z:\nowhere' WEBVIEW2_RELEASE_CHANNEL_PREFERENCE=1 \
    WEBVIEW2_USER_DATA_FOLDER='Z:\elsewhere' start_app first "$exe"
if wait_pause running; then
    checkjs "WebView2 variables: user data in the data folder, fixed browser arguments, the others removed" \
        "const e = events('createEnvironment')[0]; e.WEBVIEW2_USER_DATA_FOLDER === '${data_win//\\/\\\\}Win64\\\\' && e.WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS === '--disable-logging --disable-features=RendererCodeIntegrity --enable-features=msSpeechRecognition' && e.WEBVIEW2_BROWSER_EXECUTABLE_FOLDER === '(unset)' && e.WEBVIEW2_RELEASE_CHANNEL_PREFERENCE === '(unset)'"
    check "the loader is copied into the data folder" cmp "$data/Win64/WebView2LoaderWin64.dll" "$PROJECT/WebView2LoaderWin64.dll"
    for args in "" "com.zorv.wine.startup" "other.id file:///other.html" "COM.ZORV.WINE.STARTUP file:///other.html"; do
        # shellcheck disable=SC2086
        start_app second "$exe" $args
        wait_exit "$second" 20
        check "a second start with arguments ($args) ends at once with 0 (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    done
    check "... and none of them opened a web view" test "$(environments)" = 1
    start_app relaunch "$exe" com.zorv.wine.startup file:///other.html
    wait_exit "$relaunch" 30
    check "a relaunch (identifier, URL) runs beside the first (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    checkjs "... and shows that URL" "const m = events('mark').find((e) => e.name === 'relaunched'); m && events('navigate').some((e) => e.pid === m.pid && e.uri === 'file:///other.html')"
    resume running
fi
wait_exit "$first" 30
check "the first instance ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0

# A loader already in the data folder is never replaced, even when it differs from the packed one.
printf 'kept' >>"$data/Win64/WebView2LoaderWin64.dll"
cp "$data/Win64/WebView2LoaderWin64.dll" "$CASE_DIR/loader-before"
start_app again "$exe"
wait_exit "$again" 30
check "a later start runs with the loader it finds (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
check "... and leaves it as it was" cmp "$data/Win64/WebView2LoaderWin64.dll" "$CASE_DIR/loader-before"

begin_case password
ini ID=com.zorv.wine.locked "Name=Zorv Wine Locked" DirName=app Password=Se3ret
printf '<!doctype html><title>Locked</title>\n' >"$PROJECT/app/index.html"
pack locked
printf '%s' '{"steps": [{"closeWindow": true}], "onScript": [{"script": "zorv.events.onCloseQuery();", "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]}' \
    >"$CASE_DIR/scenario.json"
start_app locked "$CASE_DIR/bin/locked.exe"
if check "the password prompt shows, captioned with the application's name" ui wait "Zorv Wine Locked" 20; then
    ui dump "Zorv Wine Locked"
    checkjs "... with a password box and no button" \
        "ui.controls.filter((c) => c.class.toLowerCase() === 'edit').length === 1 && !ui.controls.some((c) => c.class.toLowerCase() === 'button')"
    # The key released after typing is End (35): it makes no character, so the text checked on its
    # release is the typed one whenever the runtime's loop translates the key press.
    ui type "Zorv Wine Locked" "se3ret"
    ui key "Zorv Wine Locked" 35
    sleep 0.5
    check "a wrong password (letter case) does not unlock" ui wait "Zorv Wine Locked" 1
    ui dump "Zorv Wine Locked"
    ui retype "Zorv Wine Locked" "Se3ret"
    ui key "Zorv Wine Locked" 35
fi
wait_exit "$locked" 30
check "typing the password unlocks the application, which runs and closes normally (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "... after the prompt, not before" "events('createEnvironment').length === 1"
rm -f "$TRANSCRIPT"
start_app locked "$CASE_DIR/bin/locked.exe"
ui wait "Zorv Wine Locked" 20 && ui close "Zorv Wine Locked"
wait_exit "$locked" 20
check "closing the prompt ends with exit 0 (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "... without starting the web view" "events('createEnvironment').length === 0"

begin_case german
mkdir -p "$WINE_SCRATCH/locale"
localedef -i de_DE -f UTF-8 "$WINE_SCRATCH/locale/de_DE.UTF-8" >"$CASE_DIR/localedef.log" 2>&1 || true
cp "$RUNTIME" "$CASE_DIR/bin/bare.exe"
(cd "$CASE_DIR/bin" && exec env LOCPATH="$WINE_SCRATCH/locale" LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 wine bare.exe \
    >>"$CASE_DIR/app.log" 2>&1 </dev/null) &
bare=$!
if check "a runtime with nothing appended shows a message" ui wait Error 20; then
    ui dump Error
    checkjs "... in German: message 5" "ui.controls.some((c) => c.text === 'Dies ist keine gültige Windows-Anwendung.')"
    ui close Error
fi
wait_exit "$bare" 20
check "... and ends with 0 (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
