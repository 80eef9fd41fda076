# Start to finish: the web view is created, the start page and its resources are served from
# the archive, a call is answered, and the window closes through the page's close protocol.
begin_case basic
ini ID=com.zorv.wine.basic "Name=Zorv Wine Basic" DirName=app
printf '<!doctype html><title>Basic</title><p>hello</p>\n' >"$PROJECT/app/index.html"
printf 'body { color: red; }\n' >"$PROJECT/app/style.css"
cat >"$CASE_DIR/scenario.json" <<JSON
{
  "resources": ["file:///style.css"],
  "steps": [
    {"message": {"id": 10001, "uuid": "hello-1", "data": {}}},
    {"closeWindow": true}
  ],
  "onScript": [
    {"script": "zorv.events.onCloseQuery();",
     "messages": [{"message": {"id": 50001, "uuid": "close-1", "data": {}}}]}
  ]
}
JSON
pack basic
start_app pid "$CASE_DIR/bin/basic.exe"
wait_exit "$pid" 30
check "the application ends by itself with exit code 0 (was $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the loader is loaded from the data folder" \
    "events('load').some((e) => /\\\\com\\.zorv\\.wine\\.basic\\\\Win64\\\\WebView2LoaderWin64\\.dll$/i.test(e.path))"
checkjs "the start page is navigated to" "events('navigate')[0].uri === 'file:///index.html'"
checkjs "the start page comes from the archive" \
    "request('file:///index.html').status === 200 && body('file:///index.html') === file('$PROJECT/app/index.html')"
checkjs "a style sheet comes from the archive" "body('file:///style.css') === file('$PROJECT/app/style.css')"
checkjs "hello is answered byte for byte" \
    "replyFor('hello-1') === '{\"uuid\": \"hello-1\", \"success\": true, \"result\": \"2022.1\"}'"
checkjs "closing asks the page first" "scripts().includes('zorv.events.onCloseQuery();')"
checkjs "the web view is closed at the end" "events('controllerClose').length === 1"
