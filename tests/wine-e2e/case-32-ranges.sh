# Range requests through WebResourceRequested's request headers: each form of bytes=... answered
# 206 with the right part and headers, a range past the end 416, and a large stored entry read
# through the runtime's stream in pieces on the reader's own thread, as the browser reads it. An
# open-ended range of a large entry or file is answered with a bounded part (4 MiB) whose
# Content-Range tells the truth; every body is an agile stream, read on the browser's one reader
# thread without a call into the user-interface thread.
begin_case ranges
ini ID=com.zorv.wine.ranges "Name=Zorv Wine Ranges" DirName=app
printf '<!doctype html><title>Ranges</title>\n' >"$PROJECT/app/index.html"
head -c 1048576 /dev/urandom >"$PROJECT/app/clip.webm"
printf '0123456789' >"$PROJECT/app/small.txt"
head -c 5242880 /dev/urandom >"$PROJECT/app/big.webm"
pack ranges
clip="$PROJECT/app/clip.webm"
big="$PROJECT/app/big.webm"
disk="$CASE_DIR/bin/disk.webm"
head -c 1048576 /dev/urandom >"$disk"
cat >"$CASE_DIR/scenario.json" <<JSON
{
  "resources": ["file:///clip.webm",
                {"uri": "file:///clip.webm", "headers": {"Range": "bytes=0-9"}},
                {"uri": "file:///clip.webm", "headers": {"range": "bytes=700000-"}},
                {"uri": "file:///clip.webm", "headers": {"Range": "bytes=-1000"}},
                {"uri": "file:///clip.webm", "headers": {"Range": "bytes=2000000-"}},
                {"uri": "file:///small.txt", "headers": {"Range": "bytes=2-4"}},
                {"uri": "file:///big.webm", "headers": {"Range": "bytes=0-"}},
                {"uri": "file:///big.webm", "headers": {"Range": "bytes=4194304-"}},
                "file:///disk.webm",
                {"uri": "file:///disk.webm", "headers": {"Range": "bytes=1000-"}}],
  "steps": [{"closeWindow": true}],
  "onScript": [{"script": "zorv.events.onCloseQuery();",
                "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]
}
JSON
start_app pid "$CASE_DIR/bin/ranges.exe"
wait_exit "$pid" 30
check "the application ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
ranged='const ranged = (u, r) => events("request").find((e) => e.uri === u && e.requestHeaders && Object.values(e.requestHeaders)[0] === r); const part = (e) => Buffer.from(e.body || "", "base64").toString("latin1");'
checkjs "a whole large entry: 200 with every byte, read through the stream to its end" \
    "const e = events('request').find((e) => e.uri === 'file:///clip.webm' && !e.requestHeaders); e.status === 200 && !('bodyFailure' in e) && Buffer.from(e.body, 'base64').toString('latin1') === file('$clip') && e.headers === 'Content-Type: video/webm; charset=utf-8\\r\\nAccept-Ranges: bytes\\r\\nContent-Length: 1048576'"
checkjs "bytes=a-b: 206, the ten bytes, Content-Range and Content-Length" \
    "$ranged const e = ranged('file:///clip.webm', 'bytes=0-9'); e.status === 206 && e.reason === 'Partial Content' && part(e) === file('$clip').slice(0, 10) && e.headers === 'Content-Type: video/webm; charset=utf-8\\r\\nAccept-Ranges: bytes\\r\\nContent-Range: bytes 0-9/1048576\\r\\nContent-Length: 10'"
checkjs "bytes=a- (header named in another case): 206 from a to the end" \
    "$ranged const e = ranged('file:///clip.webm', 'bytes=700000-'); e.status === 206 && part(e) === file('$clip').slice(700000) && e.headers.includes('Content-Range: bytes 700000-1048575/1048576')"
checkjs "bytes=-n: 206 with the last n bytes" \
    "$ranged const e = ranged('file:///clip.webm', 'bytes=-1000'); e.status === 206 && part(e) === file('$clip').slice(-1000) && e.headers.includes('Content-Range: bytes 1047576-1048575/1048576')"
checkjs "a range past the end: 416 with the whole length" \
    "$ranged const e = ranged('file:///clip.webm', 'bytes=2000000-'); e.status === 416 && part(e) === '' && e.headers.includes('Content-Range: bytes */1048576')"
checkjs "a small entry answered whole in memory also serves a part" \
    "$ranged const e = ranged('file:///small.txt', 'bytes=2-4'); e.status === 206 && part(e) === '234' && e.headers.includes('Content-Range: bytes 2-4/10')"
checkjs "bytes=0- of a 5 MiB entry: 206 with its first 4 MiB, Content-Range saying so" \
    "$ranged const e = ranged('file:///big.webm', 'bytes=0-'); e.status === 206 && !('bodyFailure' in e) && part(e) === file('$big').slice(0, 4194304) && e.headers.includes('Content-Range: bytes 0-4194303/5242880') && e.headers.includes('Content-Length: 4194304')"
checkjs "... and the next open-ended part: the rest" \
    "$ranged const e = ranged('file:///big.webm', 'bytes=4194304-'); e.status === 206 && part(e) === file('$big').slice(4194304) && e.headers.includes('Content-Range: bytes 4194304-5242879/5242880')"
checkjs "a large file beside the program is read through a stream, whole and in part" \
    "$ranged const w = events('request').find((e) => e.uri === 'file:///disk.webm' && !e.requestHeaders); const p = ranged('file:///disk.webm', 'bytes=1000-'); w.status === 200 && !('bodyFailure' in w) && Buffer.from(w.body, 'base64').toString('latin1') === file('$disk') && w.headers.includes('Content-Length: 1048576') && p.status === 206 && part(p) === file('$disk').slice(1000)"
checkjs "every body is an agile stream, read on the browser's reader thread" "events('streamNotAgile').length === 0"
end_case
