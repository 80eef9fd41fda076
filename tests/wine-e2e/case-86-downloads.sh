# Downloads as WebView2 hands them over (DownloadStarting): one started from an application
# document asks for its destination in the save dialog, outside the event, holding the download
# with a deferral; a cancelled dialog cancels it and nothing is written. One started from a page
# the archive did not answer is cancelled without a dialog. The browser's own download bar never
# shows, and the event's arguments are used only while the event, or its deferral, lasts. On a
# runtime without ICoreWebView2_4 the browser keeps its own handling.
begin_case downloads
ini ID=com.zorv.wine.downloads "Name=Zorv Wine Downloads" DirName=app
printf '<!doctype html><title>Downloads</title>\n' >"$PROJECT/app/index.html"
pack downloads
bin="$CASE_DIR/bin"
printf '<!doctype html><title>Beside the program</title>\n' >"$bin/disk.html"
saved="$bin/saved.bin"
export ZORV_E2E_SAVED=$(winpath "$saved")
cat >"$CASE_DIR/scenario.json" <<JSON
{
  "steps": [
    {"download": "blob:file:///report", "resultFilePath": "$(winpath "$bin/default-report.csv" | sed 's/\\/\\\\/g')"},
    {"download": "file:///cancelled.bin", "resultFilePath": "$(winpath "$bin/default-cancelled.bin" | sed 's/\\/\\\\/g')"},
    {"navigate": "file:///disk.html"},
    {"download": "https://example.com/tool.exe", "resultFilePath": "$(winpath "$bin/default-tool.exe" | sed 's/\\/\\\\/g')"},
    {"closeWindow": true}
  ]
}
JSON
start_app pid "$bin/downloads.exe"
if check "a download from the application asks where to save it" ui wait "Save download" 20; then
    sleep 0.5
    ui retype "Save download" "$(winpath "$saved")"
    ui click "Save download" Save
fi
if check "... and so does the next one" ui wait "Save download" 20; then
    sleep 0.5
    ui close "Save download"
fi
wait_exit "$pid" 30
check "the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the confirmed download goes where the user said" \
    "const d = events('download')[0]; d && d.decided && !d.cancel && d.handled && d.resultFilePath === process.env.ZORV_E2E_SAVED"
check "... and is written there" test "$(cat "$saved" 2>/dev/null)" = downloaded
checkjs "a download whose dialog is cancelled is cancelled" \
    "const d = events('download')[1]; d && d.decided && d.cancel && d.handled"
check "... and nothing is written" test -z "$(compgen -G "$bin/default-*")"
checkjs "a download from a page the archive did not answer is cancelled" \
    "const d = events('download')[2]; d && d.cancel && d.handled"
checkjs "the browser's download bar never shows" "events('downloadBarShown').length === 0"
checkjs "the event's arguments are not used after the event" "events('argsUsedAfterEvent').length === 0"

begin_case downloads-older-runtime
ini ID=com.zorv.wine.olddownloads "Name=Zorv Wine Old Downloads" DirName=app
printf '<!doctype html><title>Old downloads</title>\n' >"$PROJECT/app/index.html"
pack olddownloads
bin="$CASE_DIR/bin"
cat >"$CASE_DIR/scenario.json" <<JSON
{
  "lacks": ["ICoreWebView2_4"],
  "steps": [
    {"download": "file:///index.html", "resultFilePath": "$(winpath "$bin/kept.html" | sed 's/\\/\\\\/g')"},
    {"closeWindow": true}
  ],
  "onScript": [{"script": "zorv.events.onCloseQuery();",
                "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]
}
JSON
start_app pid "$bin/olddownloads.exe"
wait_exit "$pid" 30
check "the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the browser keeps its own handling" \
    "const d = events('download')[0]; d && !d.raised && !d.cancel && !d.handled"
check "... and saves the download itself" test -f "$bin/kept.html"
