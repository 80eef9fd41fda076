# Start pages whatever their name, as on Linux: an IndexHtml with blanks, non-ASCII letters, a
# backslash, "./" or a folder with a blank opens that page from the archive as the application's
# own document, under file:/// and under https://app.localhost/. The stand-in reports each
# navigation in Chromium's canonical form (blanks and non-ASCII escaped, backslashes as slashes,
# dot segments resolved), as WebView2 does; the runtime must still know it for its own.

# startnames_case TAG SETTING URL_SPACE ADDRESS: one packaged application whose IndexHtml is
# SETTING; its start page must load at ADDRESS, from the archive, and be answered as the application.
startnames_case() {
    local tag=$1 setting=$2 space=$3 address=$4
    begin_case "startnames-$tag"
    ini "ID=com.zorv.wine.startnames.$tag" "Name=Zorv Wine Start $tag" DirName=app "IndexHtml=$setting" "UrlSpace=$space"
    mkdir -p "$PROJECT/app/pages" "$PROJECT/app/a b"
    local page
    for page in "index.html" "My Page.html" "Über.html" "pages/start.html" "start.html" "a b/c d.html"; do
        printf '<!doctype html><title>%s</title><p>page %s</p>\n' "$page" "$page" >"$PROJECT/app/$page"
    done
    pack "$tag" || return
    cat >"$CASE_DIR/scenario.json" <<'JSON'
{
  "steps": [
    {"message": {"id": 10001, "uuid": "hello", "data": {}}, "expectContains": "2022.1"},
    {"waitReply": "hello"},
    {"closeWindow": true}
  ],
  "onScript": [{"script": "zorv.events.onCloseQuery();", "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]
}
JSON
    start_app pid "$CASE_DIR/bin/$tag.exe"
    wait_exit "$pid" 20
    check "IndexHtml=$setting ($space): the application ends (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    checkjs "IndexHtml=$setting ($space): its page loads at $address from the archive" \
        "!events('navigationCancelled').length && events('loaded').some((e) => e.uri === '$address' && e.page === 'document') && request('$address').status === 200 && body('$address') === file('$PROJECT/app/' + decodeURIComponent('$address'.replace(/^[a-z]+:\\/\\/[^/]*\\//, '')))"
    checkjs "IndexHtml=$setting ($space): the page is the application (its call is answered)" "replyFor('hello') !== undefined"
}

startnames_case index 'index.html' file 'file:///index.html'
startnames_case my-page 'My Page.html' file 'file:///My%20Page.html'
startnames_case uber 'Über.html' file 'file:///%C3%9Cber.html'
startnames_case pages-start 'pages\start.html' file 'file:///pages/start.html'
startnames_case start './start.html' file 'file:///start.html'
startnames_case folder-blank 'a b/c d.html' file 'file:///a%20b/c%20d.html'
startnames_case https-my-page 'My Page.html' https 'https://app.localhost/My%20Page.html'
startnames_case https-pages-start 'pages\start.html' https 'https://app.localhost/pages/start.html'
