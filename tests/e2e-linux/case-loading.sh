# Modules, fetch, XHR, workers and style sheets load from the archive; a document from outside
# the application cannot use the bridge.
begin_case loading
pack "$E2E_DIR/apps/loading" "$CASE_DIR/loading-app" || { fail "pack"; return; }
start_app pid "$CASE_DIR/loading-app"
if wait_for_file "$CASE_DIR/ready.flag" 40; then
    wait_exit "$pid" 20
    check "closes itself with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    check_json "$CASE_DIR/results.json" "$E2E_DIR/check-loading.js"
else
    fail "page reported ready"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started
