# The trust boundary under UrlSpace=https (pages at https://app.localhost/): requests of workers
# and of frames of other origins or sandboxed ones are answered by the application, not sent to
# the network; a request that names another origin as its maker (Origin, else Referer) gets no
# content; file: URLs stay file: URLs; a permission is decided for each request, by origin, so that
# a decision given to the application is never reused for a page the disk answered at the same
# origin, which also starts no instance.
begin_case https-trust
ini ID=com.zorv.wine.httpstrust "Name=Zorv Wine Https Trust" DirName=app UrlSpace=https
printf '<!doctype html><title>Trust</title>\n' >"$PROJECT/app/index.html"
printf '{"from": "archive"}\n' >"$PROJECT/app/data.json"
pack trust
printf '<!doctype html><title>Saved from the web</title>\n' >"$CASE_DIR/bin/beside.html"
node -e '
const data = (query, more = {}) => ({ uri: `https://app.localhost/data.json?${query}`, ...more });
console.log(JSON.stringify({
  resources: [
    data("page"),
    data("service-worker", { source: "serviceWorker" }),
    data("shared-worker", { source: "sharedWorker" }),
    data("sandboxed-frame", { source: "sandboxedFrame" }),
    data("other-origin-frame", { source: "otherOriginFrame" }),
    data("app-referer", { headers: { Referer: "https://app.localhost/index.html" } }),
    data("web-origin", { headers: { Origin: "https://evil.example" } }),
    data("opaque-origin", { headers: { Origin: "null" } }),
    data("web-referer", { headers: { Referer: "https://evil.example/frame.html" } }),
    data("look-alike-referer", { headers: { Referer: "https://app.localhost.evil.example/" } }),
    "file:///index.html",
  ],
  steps: [
    { permission: 2 },
    { permission: 3, uri: "https://app.localhost" },
    { navigate: "https://app.localhost/beside.html" },
    { permission: 2 },
    { newWindow: "https://app.localhost/second.html" },
    { mark: "done" },
    { closeWindow: true },
  ],
}));' >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/trust.exe"
wait_exit "$pid" 40
check "the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the request filter sees every source of request" \
    "events('addFilter').length === 1 && events('addFilter')[0].uri === '*' && events('addFilter')[0].sourceKinds === 4294967295"
for query in page service-worker shared-worker sandboxed-frame other-origin-frame app-referer; do
    checkjs "data.json?$query is answered from the archive" \
        "const e = request('https://app.localhost/data.json?$query'); e.status === 200 && body(e.uri).includes('archive')"
done
for query in web-origin opaque-origin web-referer look-alike-referer; do
    checkjs "data.json?$query (another origin) is refused with no content" \
        "const e = request('https://app.localhost/data.json?$query'); e.status === 403 && e.body === ''"
done
checkjs "a file: URL is left to the browser, not answered as the application" "request('file:///index.html').response === null"
checkjs "the application's page (by URL or by origin) is granted, the disk's page at the same origin is asked and refused" \
    "events('permission').map((e) => e.state).join() === '1,1,2' && events('permission').every((e) => !e.fromProfile)"
checkjs "no decision is kept in the profile" "events('permission').every((e) => e.savesInProfile === false)"
checkjs "what the disk answers at an app URL is sent sandboxed (Content-Security-Policy: sandbox), with its type" \
    "const h = request('https://app.localhost/beside.html').headers; /^Content-Security-Policy: sandbox\\b/m.test(h) && /^Content-Type: text\\/html/m.test(h)"
checkjs "the disk's page at the app origin is shown, but is not the application: its new window starts nothing" \
    "events('loaded').some((e) => e.uri === 'https://app.localhost/beside.html' && e.page === 'document') && events('newWindow')[0].handled === true && events('createEnvironment').length === 1"

# A runtime older than the interfaces of source kinds and SavesInProfile: the page host carries on
# with the page's own filter.
begin_case https-trust-older-runtime
ini ID=com.zorv.wine.httpsolder "Name=Zorv Wine Https Older" DirName=app UrlSpace=https
printf '<!doctype html><title>Older</title>\n' >"$PROJECT/app/index.html"
pack older
cat >"$CASE_DIR/scenario.json" <<'JSON'
{
  "lacks": ["ICoreWebView2_22", "ICoreWebView2PermissionRequestedEventArgs3"],
  "steps": [
    {"message": {"id": 10001, "uuid": "hello", "data": {}}, "expectContains": "2022.1"},
    {"waitReply": "hello"},
    {"permission": 2},
    {"closeWindow": true}
  ],
  "onScript": [{"script": "zorv.events.onCloseQuery();", "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]
}
JSON
start_app pid "$CASE_DIR/bin/older.exe"
wait_exit "$pid" 30
check "the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the filter is the page's own" \
    "events('addFilter').length === 1 && !('sourceKinds' in events('addFilter')[0]) && request('https://app.localhost/index.html').status === 200"
checkjs "the application is answered and granted" "replyFor('hello') !== undefined && events('permission')[0].state === 1"
