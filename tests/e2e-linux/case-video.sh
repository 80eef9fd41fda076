# A packaged video decodes, seeks and plays in WebKitGTK: given by its URL, as a Blob of the whole
# entry, and as a MediaSource fed by Range reads (check-video.js says which must pass). The clip is
# made here: 4 s of VP8 at 30 frames a second, snow around a centre square that is red for 1.5 s,
# green for 1 s, then blue for 1.5 s, so only a frame near 2 s is green. Key frames fall at 0, 1.33
# and 2.67 s: a seek that shows a key frame instead of decoding on to 2 s shows red or blue. The
# snow makes the file about 1 MB, so it is streamed from the archive and read in several ranges.
begin_case video
cp -r "$E2E_DIR/apps/video" "$CASE_DIR/project"
mkdir -p "$CASE_DIR/project/app/media"
make_clip() {  # OUTPUT
    local square=video/x-raw,width=160,height=120,framerate=30/1
    gst-launch-1.0 -q \
        compositor name=mix sink_1::xpos=80 sink_1::ypos=60 \
        ! video/x-raw,format=I420,width=320,height=240,framerate=30/1 \
        ! vp8enc target-bitrate=2000000 keyframe-max-dist=40 deadline=1 ! webmmux ! filesink location="$1" \
        videotestsrc pattern=snow num-buffers=120 ! video/x-raw,width=320,height=240,framerate=30/1 ! mix.sink_0 \
        concat name=square ! mix.sink_1 \
        videotestsrc pattern=red num-buffers=45 ! "$square" ! square. \
        videotestsrc pattern=green num-buffers=30 ! "$square" ! square. \
        videotestsrc pattern=blue num-buffers=45 ! "$square" ! square.
}
if ! make_clip "$CASE_DIR/project/app/media/clip.webm" >"$CASE_DIR/clip.log" 2>&1; then
    fail "make the clip with gst-launch-1.0 (package gstreamer1.0-tools)"
    cat "$CASE_DIR/clip.log"
    return
fi
clip_size=$(stat -c %s "$CASE_DIR/project/app/media/clip.webm")
check "the clip is large enough to be streamed ($clip_size bytes)" test "$clip_size" -gt 524288
pack "$CASE_DIR/project" "$CASE_DIR/video-app" || { fail "pack"; return; }
check "the clip is stored, not deflated, so it is read by range" python3 -c '
import sys, zipfile
sys.exit(zipfile.ZipFile(sys.argv[1]).getinfo("app/media/clip.webm").compress_type != zipfile.ZIP_STORED)
' "$CASE_DIR/video-app"
start_app pid "$CASE_DIR/video-app"
if wait_for_file "$CASE_DIR/ready.flag" 60; then
    wait_exit "$pid" 20
    check "closes itself with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    check_json "$CASE_DIR/results.json" "$E2E_DIR/check-video.js"
else
    fail "page reported ready"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started
