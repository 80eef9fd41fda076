# What the page host hands the browser: the document-start script, the web view settings and the
# request filter before the first navigation; every file:/// request answered from the archive
# first, then from the executable's folder, then as an absolute path, with the MIME type of the
# registry; everything else left to the browser.
begin_case resources
ini ID=com.zorv.wine.resources "Name=Zorv Wine Resources" DirName=app AllowDebug=1 AllowContextMenu=0
printf '<!doctype html><title>Resources</title>\n' >"$PROJECT/app/index.html"
printf 'body { color: red; }\n' >"$PROJECT/app/style.css"
printf 'from the archive\n' >"$PROJECT/app/shadow.txt"
mkdir -p "$PROJECT/app/sub dir"
printf 'spaced\n' >"$PROJECT/app/sub dir/a b.txt"
printf '\x89PNG\r\n\x1a\n\x00\x01\x02' >"$PROJECT/app/pic.png"
printf 'custom type\n' >"$PROJECT/app/data.zorvtest"
printf 'window.extra = 42;' >"$PROJECT/zorv-webviewjs"
pack resources
bin="$CASE_DIR/bin"
printf 'from disk\n' >"$bin/shadow.txt"
printf 'beside the program\n' >"$bin/beside.txt"
mkdir -p "$CASE_DIR/outside"
printf 'absolute\n' >"$CASE_DIR/outside/abs.txt"
abs_url="file:///Z:${CASE_DIR}/outside/abs.txt"
# A content type only the registry knows: the lookup must read it.
wine reg add 'HKCR\.zorvtest' /v "Content Type" /d application/x-zorv-test /f >"$CASE_DIR/reg.log" 2>&1 </dev/null
cat >"$CASE_DIR/scenario.json" <<JSON
{
  "resources": ["file:///style.css", "file:///shadow.txt", "file:///beside.txt", "$abs_url",
                "file:///sub%20dir/a%20b.txt", "file:///pic.png", "file:///data.zorvtest", "file:///STYLE.CSS",
                "file:///missing.txt", "https://example.com/app.js", "data:text/plain,x"],
  "steps": [{"closeWindow": true}],
  "onScript": [{"script": "zorv.events.onCloseQuery();",
                "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]
}
JSON
start_app pid "$bin/resources.exe"
wait_exit "$pid" 30
check "the application ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "script, settings and filter come before the first navigation" \
    "const i = (n) => t.findIndex((e) => e.event === n); i('documentStartScript') >= 0 && i('documentStartScript') < i('navigate') && i('setting') < i('navigate') && i('addFilter') < i('navigate')"
checkjs "one request filter for every URL and every kind of resource" \
    "events('addFilter').length === 1 && events('addFilter')[0].uri === '*' && events('addFilter')[0].context === 0"
checkjs "the document-start script: bridge without its BOM, both drag-and-drop guards, the extra script last" \
    "const s = events('documentStartScript'); s.length === 1 && s[0].script.startsWith('\\r') && s[0].script.indexOf('window.zorv = {') > 0 && s[0].script.indexOf('window.zorv = {') < s[0].script.indexOf('dragover') && !s[0].script.includes('\\uFEFF') && s[0].script.includes('\\rwindow.addEventListener(\"dragover\", function(e){e.preventDefault();},false);\\rwindow.addEventListener(\"drop\", function(e){e.preventDefault();}, false);\\rwindow.extra = 42;') && s[0].script.endsWith('window.extra = 42;')"
checkjs "web view settings from the defaults and zorv.ini" \
    "JSON.stringify(Object.fromEntries(events('setting').map((e) => [e.name, e.value]))) === JSON.stringify({IsScriptEnabled: true, IsStatusBarEnabled: false, IsZoomControlEnabled: false, IsWebMessageEnabled: true, IsBuiltInErrorPageEnabled: true, AreDevToolsEnabled: true, AreDefaultContextMenusEnabled: false})"
checkjs "the archive wins over a file of the same name beside the program" \
    "body('file:///shadow.txt') === 'from the archive\\n'"
checkjs "the executable's folder comes second" "body('file:///beside.txt') === 'beside the program\\n' && request('file:///beside.txt').status === 200"
checkjs "an absolute path comes third, sandboxed" "body('$abs_url') === 'absolute\\n' && request('$abs_url').headers === 'Content-Type: text/plain; charset=utf-8\\r\\nAccept-Ranges: bytes\\r\\nContent-Security-Policy: sandbox'"
checkjs "%20 names a space" "body('file:///sub%20dir/a%20b.txt') === 'spaced\\n'"
checkjs "archive names match without regard to case" "body('file:///STYLE.CSS') === body('file:///style.css') && body('file:///style.css').length > 0"
checkjs "status 200, reason OK, MIME type and charset" \
    "request('file:///style.css').status === 200 && request('file:///style.css').reason === 'OK' && request('file:///style.css').headers === 'Content-Type: text/css; charset=utf-8\\r\\nAccept-Ranges: bytes' && request('file:///index.html').headers === 'Content-Type: text/html; charset=utf-8\\r\\nAccept-Ranges: bytes'"
checkjs "binary bytes pass unchanged" "body('file:///pic.png') === file('$PROJECT/app/pic.png')"
checkjs "the registry's content types are used (a type only the registry knows)" \
    "request('file:///data.zorvtest').headers === 'Content-Type: application/x-zorv-test; charset=utf-8\\r\\nAccept-Ranges: bytes'"
checkjs "a file found nowhere, a web address and a data URL are left to the browser" \
    "request('file:///missing.txt').response === null && request('https://example.com/app.js').response === null && request('data:text/plain,x').response === null"
