# The trust boundary from the browser's side: messages from pages the archive did not answer (a
# file on disk in the file:/// space, a web page) or from a document that has gone get no reply
# and run nothing; a remote page gets no permission and starts no instance; a relaunch with no
# instance running is an ordinary start that asks for the password.
begin_case trust
ini ID=com.zorv.wine.trust "Name=Zorv Wine Trust" DirName=app
printf '<!doctype html><title>Trust</title>\n' >"$PROJECT/app/index.html"
pack trust
printf '<!doctype html><title>Beside the program</title>\n' >"$CASE_DIR/bin/disk.html"
cat >"$CASE_DIR/scenario.json" <<'JSON'
{
  "steps": [
    {"message": {"id": 70003, "uuid": "app", "data": {"command": "echo app-ok"}}, "expectContains": "app-ok"},
    {"waitReply": "app"},
    {"permission": 2},
    {"message": {"id": 70003, "uuid": "disk", "data": {"command": "echo x> pwned-disk.txt"}},
     "source": "file:///disk.html", "expect": null},
    {"message": {"id": 70003, "uuid": "remote", "data": {"command": "echo x> pwned-remote.txt"}},
     "source": "https://evil.example/", "expect": null},
    {"message": {"id": 60006, "uuid": "remote-title", "data": {"title": "pwned"}},
     "source": "https://evil.example/", "expect": null},
    {"message": {"id": 70003, "uuid": "late", "data": {"command": "ping -n 3 127.0.0.1 >nul & echo late"}},
     "expect": null},
    {"navigate": "https://example.com/"},
    {"wait": 5000},
    {"message": {"id": 10001, "uuid": "from-remote", "data": {}}, "expect": null},
    {"permission": 2},
    {"newWindow": "file:///index.html"},
    {"navigate": "file:///index.html"},
    {"mark": "done"},
    {"closeWindow": true}
  ]
}
JSON
start_app pid "$CASE_DIR/bin/trust.exe"
wait_exit "$pid" 40
check "the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "only the application's own calls are answered, and no late reply reaches another document" "expectedReplies()"
check "nothing the other pages asked for ran" test -z "$(compgen -G "$CASE_DIR/bin/pwned-*")"
checkjs "the window title stayed the application's" "!events('reply').some((e) => e.json.includes('pwned'))"
checkjs "the application is granted a permission, a remote page is refused" \
    "events('permission').map((e) => e.state).join() === '1,2'"
checkjs "a remote page's new window starts nothing and opens no window" \
    "events('newWindow').length === 1 && events('newWindow')[0].handled === true && events('createEnvironment').length === 1"
checkjs "a remote page cannot lead the window into the app URL space" \
    "events('navigationCancelled').some((e) => e.uri === 'file:///index.html')"

begin_case relaunch-password
ini ID=com.zorv.wine.relaunch "Name=Zorv Wine Relaunch" DirName=app Password=Se3ret
printf '<!doctype html><title>Relaunch</title>\n' >"$PROJECT/app/index.html"
pack relaunch
printf '%s' '{"steps": []}' >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/relaunch.exe" com.zorv.wine.relaunch file:///index.html
if check "a relaunch with no instance running asks for the password" ui wait "Zorv Wine Relaunch" 20; then
    ui close "Zorv Wine Relaunch"
fi
wait_exit "$pid" 20
check "... and closing the prompt ends it (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "... without starting the web view" "events('createEnvironment').length === 0"
