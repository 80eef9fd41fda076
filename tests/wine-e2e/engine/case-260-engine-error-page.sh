# A start page found nowhere: Chromium's own error page at that URL, reported as WebView2 reports
# it (ContentLoading with IsErrorPage, NavigationCompleted failed); no script runs there, and the
# window closes at once when the user closes it.
engine_case engine-error-page
ini ID=com.zorv.engine.missing "Name=Zorv Engine Missing" DirName=app IndexHtml=missing.html
printf '<!doctype html><title>Other</title>\n' >"$PROJECT/app/index.html"
pack missing
start_relay
start_app pid "$CASE_DIR/bin/missing.exe"
if check "the navigation fails" wait_event '"page":"errorPage"' 30; then
    checkjs "... as a failed navigation of the start page" \
        "const e = events('loaded').find((x) => x.page === 'errorPage'); e.uri === 'file:///missing.html' && !e.success && e.webErrorStatus !== 0"
    ui close "Zorv Engine Missing"
fi
wait_exit "$pid" 20
check "the window closes when asked (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "no close query ran on the error page" "!scripts().includes('zorv.events.onCloseQuery();')"
stop_relay
