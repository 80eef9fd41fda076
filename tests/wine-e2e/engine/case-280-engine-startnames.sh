# The start page named with a blank, a non-ASCII letter and a backslash (a sub folder), under both
# URL spaces in the real engine: Chromium canonicalises the address the runtime navigates to
# (blanks and é escaped, the backslash a slash) and asks NavigationStarting with that form; the
# runtime must still know the navigation for its own start. The page itself reports where it is
# and that the bridge answers it.
for space in file https; do
    engine_case "engine-startnames-$space"
    cp -r "$ENGINE_CASES/apps/startnames/." "$PROJECT/"
    settings=(ID=com.zorv.engine.startnames.$space "Name=Zorv Engine Start $space" DirName=app
              'IndexHtml=sub folder\start page é.html')
    prefix=file:///
    [ "$space" = https ] && { settings+=(UrlSpace=https); prefix=https://app.localhost/; }
    ini "${settings[@]}"
    pack startnames
    start_relay
    start_app pid "$CASE_DIR/bin/startnames.exe"
    wait_exit "$pid" 30
    check "$space: the application closes itself from its start page (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    stop_relay
    address="${prefix}sub%20folder/start%20page%20%C3%A9.html"
    if check "$space: the start page ran and reported" test -s "$CASE_DIR/bin/start.json"; then
        node -e 'console.log(JSON.stringify({ event: "startPage", report: JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, "")) }))' \
            "$CASE_DIR/bin/start.json" >>"$TRANSCRIPT"
        checkjs "$space: the page sees itself at $address, served from the archive" \
            "const r = events('startPage')[0].report; r.location === '$address' && r.marker === 'Start page é'"
        checkjs "$space: the bridge answers it as the application's document" \
            "events('startPage')[0].report.hello === 'answered ' + JSON.stringify('2022.1')"
    fi
    checkjs "$space: the engine asked NavigationStarting with the canonical address, and nothing was cancelled" \
        "events('navigationStarting').some((e) => e.uri === '$address') && !events('navigationCancelled').length"
done
