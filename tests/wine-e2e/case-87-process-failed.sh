# A process of the web view fails under the page. The page's (render) process ending or hanging
# loads the page again, once; a second failure of the window, or the browser process ending (its
# web view takes no reload), shows the error to the user instead of a blank window. Failures of
# frames, helpers or the GPU are the browser's to recover from.

# failed_scenario STEPS: the page's steps once loaded; a page that runs agrees to close.
failed_scenario() {
    cat >"$CASE_DIR/scenario.json" <<JSON
{
  "steps": $1,
  "onScript": [
    {"script": "zorv.events.onCloseQuery();",
     "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}
  ]
}
JSON
}

failed_project() {
    ini "ID=com.zorv.wine.$1" "Name=Zorv Wine $1" DirName=app
    printf '<!doctype html><title>Failing</title>\n' >"$PROJECT/app/index.html"
    pack "$1"
}

# The page's process ends, then the page asks the runtime something: it was loaded again and
# runs with the bridge. A GPU process ending before it reloads nothing.
begin_case process-failed-once
failed_project failonce
failed_scenario '[
    {"processFailed": 6},
    {"processFailed": 1},
    {"wait": 1000},
    {"message": {"id": 10001, "uuid": "hello-again", "data": {}}},
    {"waitReply": "hello-again"},
    {"closeWindow": true}
  ]'
start_app pid "$CASE_DIR/bin/failonce.exe"
wait_exit "$pid" 30
check "the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "a failed render process reloads the page once, which answers again" \
    "events('reload').length === 1 && events('loaded').filter((e) => e.page === 'document').length === 2 &&
     JSON.parse(replyFor('hello-again')).success === true"

# Two failures in a row, then the browser process ending at once: each shows the error.
for failure in 'twice|{"processFailed": 2}, {"wait": 1000}, {"processFailed": 1}' 'browser|{"processFailed": 0}'; do
    begin_case "process-failed-${failure%%|*}"
    failed_project "fail${failure%%|*}"
    failed_scenario "[${failure#*|}, {\"pause\": \"shown\"}, {\"closeWindow\": true}]"
    start_app pid "$CASE_DIR/bin/fail${failure%%|*}.exe"
    if check "the failure is shown to the user" ui wait Error 20; then
        ui dump Error
        checkjs "... saying the page stopped working" \
            "ui.controls.some((c) => c.text.startsWith('The page stopped working and could not be loaded again.'))"
        ui close Error
    fi
    wait_pause shown && resume shown
    wait_exit "$pid" 30
    check "the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    checkjs "... after at most one reload" "events('reload').length <= 1"
done
