# UrlSpace=https: the pages live at https://app.localhost/, answered by the request filter from the
# archive and the disk with the same rules and types as file:///; names found nowhere answer 404
# (never the network); only that origin's pages call the bridge; a new window for an app URL starts
# the second instance with that URL.
begin_case https
ini ID=com.zorv.wine.https "Name=Zorv Wine Https" DirName=app UrlSpace=https
printf '<!doctype html><title>Https</title><script type="module" src="main.js"></script>\n' >"$PROJECT/app/index.html"
printf 'export const answer = 42;\n' >"$PROJECT/app/main.js"
mkdir -p "$PROJECT/app/sub dir"
printf '{"a": 1}\n' >"$PROJECT/app/sub dir/data.json"
pack https
printf 'beside the program\n' >"$CASE_DIR/bin/beside.txt"
node -e '
const m = (id, uuid, data = {}) => ({ message: { id, uuid, data } });
console.log(JSON.stringify({
  resources: ["https://app.localhost/main.js", "https://app.localhost/sub%20dir/data.json",
              "https://app.localhost/beside.txt", "https://app.localhost/missing.js", "https://example.com/app.js"],
  steps: [
    { ...m(10001, "hello"), expect: "{\"uuid\": \"hello\", \"success\": true, \"result\": \"2022.1\"}" },
    { ...m(10001, "other-origin"), source: "https://evil.localhost/index.html", expect: null },
    { ...m(10001, "file-page"), source: "file:///index.html", expect: null },
    { newWindow: "https://app.localhost/second.html" },
    { pause: "second" },
    { closeWindow: true },
  ],
  stepsByUrl: { "https://app.localhost/second.html": [{ mark: "second instance" }, { closeWindow: true }] },
  onScript: [{ script: "zorv.events.onCloseQuery();", messages: [m(50001, "close")] }],
}));' >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/https.exe"
if wait_pause second; then
    wait_event '"name":"second instance"' 20
    resume second
fi
wait_exit "$pid" 30
check "the application ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the start page is the https origin's" "events('navigate')[0].uri === 'https://app.localhost/index.html'"
checkjs "the request filter is there before the first navigation" \
    "const i = (n) => t.findIndex((e) => e.event === n); i('addFilter') >= 0 && i('addFilter') < i('navigate')"
checkjs "the start page and its module come from the archive, typed" \
    "body('https://app.localhost/index.html').includes('Https') && request('https://app.localhost/main.js').status === 200 && /javascript/.test(request('https://app.localhost/main.js').headers) && body('https://app.localhost/main.js').includes('answer')"
checkjs "escaped names and the executable's folder as under file:///" \
    "body('https://app.localhost/sub%20dir/data.json').includes('\"a\"') && body('https://app.localhost/beside.txt').includes('beside the program')"
checkjs "a name found nowhere answers 404, never the network" "request('https://app.localhost/missing.js').status === 404"
checkjs "other web addresses are left to the browser" "request('https://example.com/app.js').response === null"
checkjs "only the app origin's pages are answered" "expectedReplies()"
checkjs "a new window for an app URL starts the second instance with it" \
    "const pid = events('mark').find((e) => e.name === 'second instance').pid; events('load').some((e) => e.pid === pid && e.commandLine.endsWith('\"com.zorv.wine.https\" \"https://app.localhost/second.html\"')) && events('navigate').some((e) => e.pid === pid && e.uri === 'https://app.localhost/second.html')"
