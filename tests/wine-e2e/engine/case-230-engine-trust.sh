# Trust on the real engine: a reply that comes after its page has gone is dropped; a page of the
# web (a server on 127.0.0.1) gets no answer from the bridge, cannot read or frame the
# application's pages, and its new windows are refused; the window showing it closes at once.
engine_case engine-trust
node "$ENGINE_CASES/apps/trust/server.js" "$CASE_DIR/server.port" "$CASE_DIR/report.json" &
server_pid=$!
wait_file "$CASE_DIR/server.port" 10
remote="http://127.0.0.1:$(cat "$CASE_DIR/server.port")/remote.html"
mkdir -p "$PROJECT/app"
cp "$ENGINE_CASES/apps/trust/app/index.html" "$PROJECT/app/"
sed "s|REMOTE_URL|$remote|" "$ENGINE_CASES/apps/trust/app/second.html.in" >"$PROJECT/app/second.html"
ini ID=com.zorv.engine.trust "Name=Zorv Engine Trust" DirName=app UrlSpace=https
pack trust
start_relay
start_app pid "$CASE_DIR/bin/trust.exe"
if check "the first page's dialog is open" ui wait late-dialog 30; then
    check "the page went on to second.html meanwhile" wait_event '"uri":"https://app.localhost/second.html","view"' 10
    ui close late-dialog
    sleep 1
    : >"$CASE_DIR/bin/go-remote"
fi
if check "the web page reported" wait_file "$CASE_DIR/report.json" 30; then
    cp "$CASE_DIR/report.json" "$CASE_DIR/ui.out"  # the checks below read it as `ui`
    checkjs "the late reply to the page that went away is dropped" \
        "const call = events('webMessage').find((e) => e.json.includes('late-dialog')); call && !replies().some((r) => r.includes(JSON.parse(call.json).uuid))"
    checkjs "a web page's bridge call gets no answer" \
        "ui.hello !== undefined && !ui.hello.startsWith('answered') && !replies().some((r) => r.includes('remote-hello'))"
    checkjs "a web page cannot read an application page" "ui.fetchApp.startsWith('refused')"
    checkjs "an application page framed by a web page does not run" \
        "!events('frameMessage').some((e) => e.json.includes('frame=referrer'))"
    checkjs "... nor when the frame sends no Referer" \
        "!events('frameMessage').some((e) => e.json.includes('frame=no-referrer'))"
    check "an application page's permission requests are granted by the host" \
        grep -q '"geolocation":"position 48.85","notifications":"granted"' "$CASE_DIR/bin/permissions.json"
    checkjs "a web page's are refused" \
        "ui.geolocation === 'refused 1' && ui.notifications === 'denied' && events('permission').filter((e) => e.uri.startsWith('http://127.0.0.1')).map((e) => e.kind + ':' + e.state).join() === '3:2,4:2'"
    checkjs "the web page cannot navigate the window to an application page" \
        "events('navigationCancelled').some((e) => e.uri === 'https://app.localhost/index.html?from=web')"
    checkjs "the web page's new windows are refused" \
        "const w = events('newWindow'); w.length === 2 && w.every((e) => e.handled)"
    wait_event '"uri":"https://app.localhost/index.html?from=web"' 10
    ui close "Zorv Engine Trust"
fi
wait_exit "$pid" 20
check "the window showing a web page closes at once (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null
