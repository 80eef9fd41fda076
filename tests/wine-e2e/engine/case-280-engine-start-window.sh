# Start-up and new windows in the real engine, under both URL spaces.
# The start page is named with a blank, a non-ASCII letter and a backslash (a sub folder): Chromium
# canonicalises the address the runtime navigates to (blanks and é escaped, the backslash a slash)
# and asks NavigationStarting with that form; the runtime must still know the navigation for its
# own start. The page reports where it is and that the bridge answers it.
# Then the user clicks a button of that page, whose handler calls window.open with a relative
# address; Chromium gives the new window's address in its canonical form, the runtime refuses the
# browser's window and starts its own executable again with (identifier, that address), and the
# second instance shows that page from the archive as the application's (the relay gives it a
# browser of its own). A web page's new windows are refused in the trust case.
for space in file https; do
    engine_case "engine-start-window-$space"
    cp -r "$ENGINE_CASES/apps/startwindow/." "$PROJECT/"
    id=com.zorv.engine.startwindow.$space
    settings=(ID=$id "Name=Zorv Engine Start $space" DirName=app 'IndexHtml=sub folder\start page é.html')
    prefix=file:///
    [ "$space" = https ] && { settings+=(UrlSpace=https); prefix=https://app.localhost/; }
    ini "${settings[@]}"
    pack startwindow
    start_address="${prefix}sub%20folder/start%20page%20%C3%A9.html"
    address="${prefix}second%20page.html?from=opener"
    start_relay
    start_app pid "$CASE_DIR/bin/startwindow.exe"
    if check "$space: the start page reported" wait_file "$CASE_DIR/bin/start.json" 30; then
        click_page
        check "$space: the second instance's page reported" wait_file "$CASE_DIR/bin/second.json" 30
        check "$space: the opener page reported" wait_file "$CASE_DIR/bin/opener.json" 10
        : >"$CASE_DIR/bin/close-now"
    fi
    for report in start second opener; do
        [ -s "$CASE_DIR/bin/$report.json" ] || continue
        node -e 'console.log(JSON.stringify({ event: process.argv[2], report: JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, "")) }))' \
            "$CASE_DIR/bin/$report.json" "$report" >>"$TRANSCRIPT"
    done
    wait_exit "$pid" 20
    check "$space: the first instance closes itself (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    check "$space: the second instance has closed itself too" ui gone "Zorv Engine Start $space" 20
    stop_relay
    report="const r = (events('start')[0] || {}).report || {};"
    checkjs "$space: the start page sees itself at $start_address, served from the archive" \
        "$report r.location === '$start_address' && r.marker === 'Start page é'"
    checkjs "$space: the bridge answers it as the application's document" \
        "$report r.hello === 'answered ' + JSON.stringify('2022.1')"
    checkjs "$space: the engine asked NavigationStarting with the canonical address, and nothing was cancelled" \
        "events('navigationStarting').some((e) => e.uri === '$start_address') && !events('navigationCancelled').length"
    checkjs "$space: the click's window.open asks NewWindowRequested with the canonical address, as the user's" \
        "const w = events('newWindow'); w.length === 1 && w[0].uri === '$address' && w[0].userInitiated && w[0].handled"
    checkjs "$space: the runtime started itself again with (identifier, that address)" \
        "const opener = events('newWindow')[0].pid; events('load').some((e) => e.pid !== opener && e.commandLine.endsWith('\"$id\" \"$address\"'))"
    checkjs "$space: the second instance shows it from the archive, and the bridge answers it" \
        "const r = (events('second')[0] || {}).report || {}; r.location === '$address' && r.hello === '2022.1' && events('engine').length === 2"
    # WebView2 documents that a handled window.open still returns a window object to the page,
    # where no window loads; the engine's is the browser's window, closed once the host refused it.
    checkjs "$space: the opener's window.open returns a window object" \
        "(events('opener')[0] || { report: {} }).report.returned === 'object'"
done
