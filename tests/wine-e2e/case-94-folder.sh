# A project run straight from its folder, as zorv-pack run starts it (the bare runtime with
# --project DIR [--no-reload] -- ARGS): pages and files come from the folder, a burst of changes
# under the application folder reloads the page once, a change of zorv.ini makes the window again
# with the new settings, and a new window serves the same folder with the same options. With
# --no-reload nothing follows the edits; a packaged file takes the option as an ordinary argument.

# folder_scenario: the main window's steps before and after its restart and those of a new window
# on other.html, which ends by itself.
folder_scenario() {
    cat >"$CASE_DIR/scenario.json" <<JSON
{
  "resources": ["file:///style.css"],
  "steps": $1,
  "stepsAfterRestart": ${2:-[]},
  "stepsByUrl": {"file:///other.html": [
    {"message": {"id": 10001, "uuid": "hello-second", "data": {}}},
    {"waitReply": "hello-second"},
    {"mark": "second-done"},
    {"closeWindow": true}
  ]},
  "onScript": [
    {"script": "zorv.events.onCloseQuery();",
     "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}
  ]
}
JSON
}

# folder_project NAME: an application folder with a start page, a style sheet and a second page.
folder_project() {
    ini "ID=com.zorv.wine.$1" "Name=Zorv Wine $1" DirName=app
    printf '<!doctype html><title>Folder</title><p>one</p>\n' >"$PROJECT/app/index.html"
    printf 'body { color: red; }\n' >"$PROJECT/app/style.css"
    printf '<!doctype html><title>Other</title>\n' >"$PROJECT/app/other.html"
}

# jsstr TEXT: TEXT as a JavaScript string literal.
jsstr() { node -e 'process.stdout.write(JSON.stringify(process.argv[1]))' "$1"; }

# count_events NAME: how many transcript entries are that event.
count_events() { grep -c "\"event\":\"$1\"" "$TRANSCRIPT" 2>/dev/null || true; }

# wait_count NAME N SECONDS: waits until the transcript holds at least N such events.
wait_count() {
    local waited=0
    until (($(count_events "$1") >= $2)); do
        ((waited >= $3 * 10)) && return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

begin_case folder
# A project path with a blank in it, which every command line must keep in one piece.
PROJECT="$CASE_DIR/my project"
mkdir -p "$PROJECT/app" && cp "$TOOLS/WebView2LoaderWin64.dll" "$PROJECT/"
folder_project folder
folder_scenario '[
    {"message": {"id": 10002, "uuid": "is-runtime", "data": {}}},
    {"message": {"id": 50005, "uuid": "args", "data": {}}},
    {"message": {"id": 30004, "uuid": "extract",
                 "data": {"sourceFile": "/style.css", "targetFile": "Z:'"$CASE_DIR"'/extracted.css"}}},
    {"waitReply": "extract"},
    {"pause": "edit"},
    {"pause": "settings"}
  ]' '[
    {"message": {"id": 10001, "uuid": "hello-again", "data": {}}},
    {"message": {"id": 80001, "uuid": "theme-again", "data": {}}},
    {"waitReply": "theme-again"},
    {"newWindow": "file:///other.html"},
    {"pause": "second"},
    {"closeWindow": true}
  ]'
start_app pid "$RUNTIME" --project "$(winpath "$PROJECT")" -- page-arg
if wait_pause edit; then
    # A file beside the application folder is not one of its pages; a moment later, five quick
    # writes of the start page make one burst.
    printf 'notes\n' >"$PROJECT/notes.txt"
    sleep 0.6
    for i in 1 2 3 4 5; do printf '<!doctype html><title>Folder</title><p>two %s</p>\n' "$i" >"$PROJECT/app/index.html"; done
    check "a change under the application folder reloads the page" wait_event '"event":"reload"' 15
    sleep 1  # time for a second reload, were the burst not taken as one
    resume edit
else
    fail "the page did not reach its first pause"
fi
if wait_pause settings; then
    ini ID=com.zorv.wine.folder "Name=Zorv Wine Folder Renamed" DirName=app Theme=Carbon
    check "a change of zorv.ini makes the window again with the new name" ui wait "Zorv Wine Folder Renamed" 20
fi
if wait_pause second; then
    # The new window's instance has answered and closed (the restart closed the first web view).
    check "the new window's instance ends" wait_count controllerClose 2 30
    resume second
fi
wait_exit "$pid" 30
check "the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the developer tools are on" \
    "events('setting').filter((e) => e.name === 'AreDevToolsEnabled').every((e) => e.value === true)"
checkjs "the start page and a style sheet come from the folder" \
    "body('file:///index.html') === '<!doctype html><title>Folder</title><p>one</p>\n' &&
     body('file:///style.css') === file('$PROJECT/app/style.css')"
checkjs "the page runs in the runtime and gets only the arguments after --" \
    "JSON.parse(replyFor('is-runtime')).result === true &&
     JSON.stringify(JSON.parse(replyFor('args')).result.slice(1)) === '[\"page-arg\"]'"
check "files.extractFile reads the folder" cmp "$CASE_DIR/extracted.css" "$PROJECT/app/style.css"
checkjs "five quick writes give one reload, which serves the file as it is now" \
    "events('reload').length === 1 && events('reload')[0].uri === 'file:///index.html' && events('reload')[0].view === 1 &&
     Buffer.from(t.slice(t.indexOf(events('reload')[0]))
                  .find((e) => e.event === 'request' && e.uri === 'file:///index.html').body, 'base64')
       .toString() === file('$PROJECT/app/index.html')"
checkjs "the window made again has a web view of its own, which shows the start page, and the new theme" \
    "events('loaded').some((e) => e.view === 2 && e.uri === 'file:///index.html') &&
     JSON.parse(replyFor('hello-again')).success === true && JSON.parse(replyFor('theme-again')).result === 'Carbon'"
checkjs "the window made again reuses the process's one WebView2 environment" \
    "events('createEnvironment').filter((e) => e.pid === t[0].pid).length === 1 &&
     events('environmentRefused').length === 0 &&
     events('createController').filter((e) => e.pid === t[0].pid).length === 2"
checkjs "the new window starts the runtime on the same folder, which serves its page" \
    "events('load').some((e) => e.pid !== t[0].pid &&
       e.commandLine.includes($(jsstr "\"--project\" \"$(winpath "$PROJECT")\" \"--\" \"com.zorv.wine.folder\" \"file:///other.html\""))) &&
     events('request').some((e) => e.pid !== t[0].pid && e.uri === 'file:///other.html' && e.status === 200) &&
     JSON.parse(replyFor('hello-second')).success === true"

begin_case folder-no-reload
folder_project folder-nr
folder_scenario '[
    {"pause": "edit"},
    {"newWindow": "file:///other.html"},
    {"pause": "second"},
    {"closeWindow": true}
  ]'
# A relative project path, as zorv-pack run passes on what its user typed (the runtime's folder
# is the current one).
start_app pid "$RUNTIME" --project "$(realpath --relative-to="$(dirname "$RUNTIME")" "$PROJECT" | tr / '\\')" --no-reload
if wait_pause edit; then
    printf '<!doctype html><title>Folder</title><p>two</p>\n' >"$PROJECT/app/index.html"
    ini ID=com.zorv.wine.folder-nr "Name=Zorv Wine Renamed" DirName=app
    sleep 1.5
    resume edit
fi
if wait_pause second; then
    check "the new window's instance ends" wait_count controllerClose 1 30
    resume second
fi
wait_exit "$pid" 30
check "the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "with --no-reload an edit reloads nothing and makes no window again" \
    "events('reload').length === 0 && events('createController').filter((e) => e.pid === t[0].pid).length === 1"
checkjs "the new window keeps --no-reload and names the folder by its full path" \
    "events('load').some((e) => e.pid !== t[0].pid &&
       e.commandLine.includes($(jsstr "\"$(winpath "$PROJECT")\" \"--no-reload\" \"--\"")))"

begin_case folder-packaged
folder_project folder-packed
cp "$PROJECT/app/index.html" "$CASE_DIR/packed-index.html"
pack folder
printf '<!doctype html><title>Folder</title><p>from the folder</p>\n' >"$PROJECT/app/index.html"
folder_scenario '[
    {"message": {"id": 50005, "uuid": "args", "data": {}}},
    {"waitReply": "args"},
    {"closeWindow": true}
  ]'
start_app pid "$CASE_DIR/bin/folder.exe" --project "$(winpath "$PROJECT")"
wait_exit "$pid" 30
check "the packaged application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "a packaged file serves its archive, not the folder the option names, without developer tools" \
    "body('file:///index.html') === file('$CASE_DIR/packed-index.html') &&
     events('setting').some((e) => e.name === 'AreDevToolsEnabled' && e.value === false)"
checkjs "... and hands the option to its page as ordinary arguments" \
    "JSON.stringify(JSON.parse(replyFor('args')).result.slice(1)) === JSON.stringify(['--project', $(jsstr "$(winpath "$PROJECT")")])"

# zorv.ini saved while a file dialog of the page is open: the dialog ends as cancelled, its call is
# answered, and the window is made again once the call has returned.
begin_case folder-dialog
folder_project folder-dialog
folder_scenario '[
    {"message": {"id": 20001, "uuid": "open", "data": {"title": "Pick one"}}}
  ]' '[
    {"message": {"id": 10001, "uuid": "hello-again", "data": {}}},
    {"waitReply": "hello-again"},
    {"closeWindow": true}
  ]'
start_app pid "$RUNTIME" --project "$(winpath "$PROJECT")"
if check "openFile shows its dialog" ui wait "Pick one" 20; then
    ini ID=com.zorv.wine.folder-dialog "Name=Zorv Wine Dialog Renamed" DirName=app
fi
wait_exit "$pid" 30
check "the application ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the dialog's call is answered as cancelled, then the window is made again" \
    "replyFor('open') === '{\"uuid\": \"open\", \"success\": true, \"result\": \"\"}' &&
     JSON.parse(replyFor('hello-again')).success === true"

# The WebView2 runtime is missing and the project carries the installer: once it is installed the
# runtime starts again on the same folder with the same arguments, not as a bare runtime.
begin_case folder-install
folder_project folder-install
cp "$TOOLS/WebView2Installer.exe" "$PROJECT/"
folder_scenario '[
    {"message": {"id": 50005, "uuid": "args", "data": {}}},
    {"waitReply": "args"},
    {"closeWindow": true}
  ]'
export ZORV_WV2_RUNTIME_MARKER ZORV_INSTALLER_EXIT=0 ZORV_INSTALLER_DELAY_MS=300
ZORV_WV2_RUNTIME_MARKER=$(winpath "$CASE_DIR/runtime-installed")
start_app pid "$RUNTIME" --project "$(winpath "$PROJECT")" -- page-arg
if check "the installation is offered" ui wait Confirm 20; then
    ui click Confirm Accept
fi
wait_exit "$pid" 30
check "the first process ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
check "the runtime started again runs the project and closes" wait_event '"event":"controllerClose"' 30
checkjs "... from the same folder, with the page's arguments" \
    "events('createEnvironment').length === 1 && body('file:///index.html') === file('$PROJECT/app/index.html') &&
     JSON.stringify(JSON.parse(replyFor('args')).result.slice(1)) === '[\"page-arg\"]'"
unset ZORV_WV2_RUNTIME_MARKER ZORV_INSTALLER_EXIT ZORV_INSTALLER_DELAY_MS

# The start page is not written yet: the browser shows its error page, and writing the page
# reloads it into the application's page, which has the bridge.
begin_case folder-missing-start
folder_project folder-missing
rm "$PROJECT/app/index.html"
folder_scenario '[
    {"pause": "written"},
    {"message": {"id": 10001, "uuid": "hello", "data": {}}},
    {"waitReply": "hello"},
    {"closeWindow": true}
  ]'
start_app pid "$RUNTIME" --project "$(winpath "$PROJECT")"
if wait_pause written; then
    printf '<!doctype html><title>Written</title>\n' >"$PROJECT/app/index.html"
    check "writing the missing start page loads it" wait_event '"page":"document"' 15
    resume written
fi
wait_exit "$pid" 30
check "the application ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the error page was shown first, then the written page, whose call is answered" \
    "events('loaded')[0].page === 'errorPage' && JSON.parse(replyFor('hello')).success === true"
