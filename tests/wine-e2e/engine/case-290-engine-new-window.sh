# New windows in the real engine: the user clicks a button of an application page, whose handler
# calls window.open with a relative address; Chromium gives the new window's address in its
# canonical form, the runtime refuses the browser's window and starts its own executable again with
# (identifier, that address), and the second instance shows that page from the archive as the
# application's (the relay gives it a browser of its own). A web page's new windows are refused in
# the trust case.
for space in file https; do
    engine_case "engine-new-window-$space"
    cp -r "$ENGINE_CASES/apps/newwindow/." "$PROJECT/"
    id=com.zorv.engine.newwindow.$space
    settings=(ID=$id "Name=Zorv Engine New $space" DirName=app)
    prefix=file:///
    [ "$space" = https ] && { settings+=(UrlSpace=https); prefix=https://app.localhost/; }
    ini "${settings[@]}"
    pack newwindow
    address="${prefix}second%20page.html?from=opener"
    start_relay
    start_app pid "$CASE_DIR/bin/newwindow.exe"
    if check "$space: the opener page loads" wait_event '"event":"loaded"' 30; then
        click_page
        check "$space: the second instance's page reported" wait_file "$CASE_DIR/bin/second.json" 30
        check "$space: the opener page reported" wait_file "$CASE_DIR/bin/opener.json" 10
        for report in second opener; do
            [ -s "$CASE_DIR/bin/$report.json" ] || continue
            node -e 'console.log(JSON.stringify({ event: process.argv[2], report: JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, "")) }))' \
                "$CASE_DIR/bin/$report.json" "$report" >>"$TRANSCRIPT"
        done
        : >"$CASE_DIR/bin/close-now"
    fi
    wait_exit "$pid" 20
    check "$space: the first instance closes itself (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    check "$space: the second instance has closed itself too" ui gone "Zorv Engine New $space" 20
    stop_relay
    checkjs "$space: the click's window.open asks NewWindowRequested with the canonical address, as the user's" \
        "const w = events('newWindow'); w.length === 1 && w[0].uri === '$address' && w[0].userInitiated && w[0].handled"
    checkjs "$space: the runtime started itself again with (identifier, that address)" \
        "const opener = events('newWindow')[0].pid; events('load').some((e) => e.pid !== opener && e.commandLine.endsWith('\"$id\" \"$address\"'))"
    checkjs "$space: the second instance shows it from the archive, and the bridge answers it" \
        "const r = (events('second')[0] || {}).report || {}; r.location === '$address' && r.hello === '2022.1' && events('engine').length === 2"
    # WebView2 documents that a handled window.open still returns a window object to the page,
    # where no window loads; the engine's is the browser's window, closed once the host refused it.
    checkjs "$space: the opener's window.open returns a window object" \
        "events('opener')[0].report.returned === 'object'"
done
