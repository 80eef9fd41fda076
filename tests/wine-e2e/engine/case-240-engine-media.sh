# Range answers consumed by a real <video>: the archive's clip (4 s of VP8, a centre square red,
# then green for the middle second, then blue, in snow) decodes, seeks to the middle and plays in
# Chromium, read through the runtime's 206 answers. Then a 200 MB stored entry fetched whole: the
# library sends it in parts and the relay hands them to the browser through its loopback server.
engine_case engine-media
cp -r "$ENGINE_CASES/apps/video/." "$PROJECT/"
mkdir -p "$PROJECT/app/media"
ini ID=com.zorv.engine.media "Name=Zorv Engine Media" DirName=app UrlSpace=https
square=video/x-raw,width=160,height=120,framerate=30/1
if ! gst-launch-1.0 -q compositor name=mix sink_1::xpos=80 sink_1::ypos=60 \
        ! video/x-raw,format=I420,width=320,height=240,framerate=30/1 \
        ! vp8enc target-bitrate=2000000 keyframe-max-dist=40 deadline=1 ! webmmux \
        ! filesink location="$PROJECT/app/media/clip.webm" \
        videotestsrc pattern=snow num-buffers=120 ! video/x-raw,width=320,height=240,framerate=30/1 ! mix.sink_0 \
        concat name=sq ! mix.sink_1 \
        videotestsrc pattern=red num-buffers=45 ! "$square" ! sq. \
        videotestsrc pattern=green num-buffers=30 ! "$square" ! sq. \
        videotestsrc pattern=blue num-buffers=45 ! "$square" ! sq. >"$CASE_DIR/clip.log" 2>&1; then
    fail "make the clip with gst-launch-1.0"
    return
fi
# The large entry: BIG_MB megabytes that do not compress, so it is stored and streamed.
big_mb=${ZORV_ENGINE_BIG_MB:-200}
if ((big_mb > 0)); then
    head -c "$((big_mb * 1024 * 1024))" /dev/urandom >"$PROJECT/app/big.bin"
fi
pack media
start_relay
media_started=$(date +%s)
start_app pid "$CASE_DIR/bin/media.exe"
wait_exit "$pid" 120
check "the page closes itself (exit $EXIT_CODE, $(( $(date +%s) - media_started )) s)" test "$EXIT_CODE" = 0
stop_relay
results="$CASE_DIR/bin/video.json"
if check "the page wrote its results" test -s "$results"; then
    node -e 'const r = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, ""));
console.log(JSON.stringify({ event: "mediaResults", results: r }));' "$results" >>"$TRANSCRIPT"
    near='const near = (v, t, d) => typeof v === "number" && Math.abs(v - t) <= d; const like = (c, e) => Array.isArray(c) && c.every((x, i) => Math.abs(x - e[i]) <= 40); const r = events("mediaResults")[0].results;'
    checkjs "the clip plays without a media error" "$near r.failure === undefined"
    checkjs "its metadata: 4 s, 320x240" "$near near(r.duration, 4, 0.05) && r.width === 320 && r.height === 240"
    checkjs "the first frame shows the red square" "$near like(r.firstColour, [255, 0, 0])"
    checkjs "the seek lands in the middle and shows the green square" \
        "$near near(r.seekedTime, 2, 0.05) && like(r.middleColour, [0, 255, 0])"
    checkjs "playing moves the time on" "$near r.playedTo > r.playedFrom + 0.1"
    checkjs "the engine read the clip by Range requests, answered 206" \
        "const reads = events('request').filter((e) => e.uri.endsWith('/media/clip.webm')); reads.length > 0 && reads.every((e) => e.requestHeaders.Range && e.status === 206)"
    if ((big_mb > 0)); then
        expected=$(node -e 'const b = require("fs").readFileSync(process.argv[1]); let s = 0;
for (let o = 0; o < b.length; o += 4096) s = (s + b[o]) % 65521;
console.log(s)' "$PROJECT/app/big.bin")
        checkjs "the ${big_mb} MB entry arrives whole" \
            "$near r.big.status === 200 && r.big.length === ${big_mb} * 1048576 && r.big.sum === $expected"
        checkjs "... streamed to the engine in parts, never whole" \
            "const e = events('request').find((x) => x.uri.endsWith('/big.bin')); e.streamed && e.bodyBytes === ${big_mb} * 1048576"
        echo "  measured: $(node -e 'const r = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8").replace(/^\uFEFF/, "")); console.log((r.big.length / 1048576 / r.big.seconds).toFixed(1) + " MiB/s for the whole entry")' "$results")"
    fi
fi
