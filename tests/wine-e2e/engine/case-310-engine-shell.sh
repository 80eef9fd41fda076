# shell.command and the page's own posts in the real engine, with cmd.exe's syntax: a reply that
# comes later than the calls (and the command) posted beside it and carries every part of the
# output, a background child, NUL characters and a 2 MiB file written whole, a 4 MiB call; messages
# posted past window.zorv answered when they carry a usable uuid and ignored otherwise; a command
# still running when its page goes answers nobody.
engine_case engine-shell
cp -r "$ENGINE_CASES/apps/shell/." "$PROJECT/"
ini ID=com.zorv.engine.shell "Name=Zorv Engine Shell" DirName=app
pack shell
start_relay
start_app pid "$CASE_DIR/bin/shell.exe"
wait_exit "$pid" 120
check "the second page closes the program (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
stop_relay
for report in results second; do
    file="$CASE_DIR/bin/$report.json"
    if check "the page wrote $report.json" test -s "$file"; then
        node -e 'console.log(JSON.stringify({ event: process.argv[2], report: JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, "")) }))' \
            "$file" "$report" >>"$TRANSCRIPT"
    fi
done
cat "$CASE_DIR/bin/error.txt" 2>/dev/null
R="const R = (events('results')[0] || {}).report || {};"
checkjs "the calls posted beside a running command, a quick command among them, are answered while it runs" \
    "$R const v = R.laterReply.value; R.laterReply.ok && v.quick.join() === '2022.1,true,beside\\r\\n' && v.quickMs + 1000 < v.command.ms"
checkjs "... and its one later reply carries each part of its output" \
    "$R const c = R.laterReply.value.command; c.output === 'one\\r\\ntwo\\r\\nthree\\r\\n' && c.ms >= 1500"
checkjs "a background child does not hold the reply" \
    "$R R.backgroundChild.ok && R.backgroundChild.value === 'started\\r\\n' && R.backgroundChild.ms < 5000"
checkjs "after each, the next call is answered" \
    "$R ['laterReply', 'backgroundChild', 'nulContents', 'hugeWrite', 'afterRaw'].every((k) => R[k].next === '2022.1')"
check "NUL characters are written whole" \
    test "$(od -An -tx1 "$CASE_DIR/bin/nul-chars.txt" | tr -d ' \n')" = efbbbf6265666f7265006166746572""0d0a
check "a 2 MiB text is written whole" test "$(stat -c %s "$CASE_DIR/bin/huge.txt")" = $(((2 << 20) + 5))
checkjs "posts that are no call (a string, broken JSON, a number, no uuid, a uuid not text or unsafe) get no reply" \
    "$R ['plainString', 'notJson', 'number', 'noUuid', 'uuidNumber', 'uuidQuote'].every((k) => R.raw[k] === 'no reply')"
checkjs "calls with a uuid get their error: no data, data not an object, an identifier not a function" \
    "$R const e = (k) => R.raw[k].success === false && R.raw[k].result; e('noData') === \"Value 'data' not found\" && e('dataNumber') === \"Value 'data' must be an object\" && e('idText') === \"No function has the identifier 'ten'\" && e('idUnknown') === \"No function has the identifier '99999'\""
checkjs "an identifier sent as text and a 4 MiB call are answered" \
    "$R R.raw.idString.result === '2022.1' && R.raw.huge.result === '2022.1'"
checkjs "the reply to a command still running when its page went never reaches the next page" \
    "const call = events('webMessage').find((e) => e.json.includes('LATE-REPLY')); const uuid = call && JSON.parse(call.json).uuid; const s = events('second')[0]; uuid && s && !s.report.messages.some((m) => m.includes(uuid)) && !replies().some((r) => r.includes(uuid))"
