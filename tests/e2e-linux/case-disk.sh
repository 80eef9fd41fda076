# Files on disk reached through the app URL space are served, but never as the app: a page beside
# the executable framed by an app page and a user's SVG shown in an <object> reach nothing of the
# app, while images and data on disk still load. Large files are read without stopping the UI or
# filling memory, and the media server serves nothing but the app's own files.

# disk_case_files: what the documents case finds on disk, beside the executable and elsewhere.
# Their scripts try the bridge through the app page and their own window; each leaves a file
# behind if a command ran.
disk_case_files() {
    mkdir -p "$CASE_DIR/home/Pictures"
    cat >"$CASE_DIR/disk-page.html" <<HTML
<!doctype html><meta charset="utf-8"><p>saved from the web</p><script>
try { top.zorv.shell.command({command: 'touch $CASE_DIR/pwned-frame-top'}); } catch (error) {}
try { parent.zorv.files.writeTextFile({filePath: '$CASE_DIR/pwned-frame-write', contents: 'x'}); } catch (error) {}
try { zorv.shell.command({command: 'touch $CASE_DIR/pwned-frame-own'}); } catch (error) {}
</script>
HTML
    cat >"$CASE_DIR/home/Pictures/user.svg" <<SVG
<svg xmlns="http://www.w3.org/2000/svg" width="40" height="40"
     onload="try { top.zorv.shell.command({command: 'touch $CASE_DIR/pwned-svg-onload'}); } catch (error) {}">
<rect width="40" height="40" fill="green"/>
<script><![CDATA[
try { top.zorv.shell.command({command: 'touch $CASE_DIR/pwned-svg-top'}); } catch (error) {}
try { zorv.shell.command({command: 'touch $CASE_DIR/pwned-svg-own'}); } catch (error) {}
]]></script>
</svg>
SVG
    convert -size 7x5 xc:red "$CASE_DIR/disk.png"
    printf '{"from": "beside the executable"}' >"$CASE_DIR/disk-data.json"
    printf 'by absolute path' >"$CASE_DIR/home/data.txt"
    head -c 3000000 /dev/urandom >"$CASE_DIR/disk-sync.bin"
}

begin_case disk-documents
pack "$E2E_DIR/apps/disk" "$CASE_DIR/disk-app" || { fail "pack"; return; }
disk_case_files
start_app pid "$CASE_DIR/disk-app" documents
if wait_for_file "$CASE_DIR/ready.flag" 40; then
    touch "$CASE_DIR/close-now"
    wait_exit "$pid" 20
    check "closes itself with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    check "no script of a page or an SVG on disk ran a command or wrote a file ($(compgen -G "$CASE_DIR/pwned-*" | xargs -r -n1 basename | tr '\n' ' '))" \
        test -z "$(compgen -G "$CASE_DIR/pwned-*")"
    check_json "$CASE_DIR/results.json" "$E2E_DIR/check-disk.js"
else
    fail "page reported ready"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started

# Four files of 300 MB beside the executable (sparse: they take no room), two shown as images and
# two fetched, all read at once. Bridge calls made meanwhile must be answered within 2 s each
# (the UI thread never reads a whole file), and the runtime's peak resident memory must stay under
# 600 MB (no file is held whole).
begin_case disk-large
pack "$E2E_DIR/apps/disk" "$CASE_DIR/disk-app" || { fail "pack"; return; }
for n in 1 2; do truncate -s 300M "$CASE_DIR/large-$n.png"; done
for n in 3 4; do truncate -s 300M "$CASE_DIR/large-$n.bin"; done
start_app pid "$CASE_DIR/disk-app" large
if wait_for_file "$CASE_DIR/ready.flag" 60; then
    peak_kib=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    touch "$CASE_DIR/close-now"
    wait_exit "$pid" 20
    check "closes itself with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    check "the runtime's peak resident memory stays under 600 MB (got $((${peak_kib:-0} / 1024)) MB)" \
        test "${peak_kib:-0}" -gt 0 -a "${peak_kib:-0}" -lt $((600 * 1024))
    LIMIT_MS=2000 check_json "$CASE_DIR/results.json" "$E2E_DIR/check-disk.js"
else
    fail "page reported ready"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started
rm -f "$CASE_DIR"/large-*

# The media server of a packaged app: its archive's entries, nothing of the disk, and only under
# its own address. Probed from outside with the run's key, as anyone who learnt it could.
begin_case disk-media-server
cp -r "$E2E_DIR/apps/disk" "$CASE_DIR/project"
mkdir -p "$CASE_DIR/project/app/media"
head -c 300000 /dev/urandom >"$CASE_DIR/project/app/media/asset.bin"
head -c 1000 /dev/urandom >"$CASE_DIR/beside.bin"
pack "$CASE_DIR/project" "$CASE_DIR/disk-app" || { fail "pack"; return; }
start_app pid "$CASE_DIR/disk-app" media
if wait_for_file "$CASE_DIR/ready.flag" 40; then
    RUN=packaged check_json "$CASE_DIR/media-base.txt" "$E2E_DIR/check-disk-media.js"
    touch "$CASE_DIR/close-now"
    wait_exit "$pid" 20
    check "closes itself with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
else
    fail "page reported ready"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started

# The same for a project run from its folder: the project's own files besides, nothing outside.
begin_case disk-media-server-folder-run
cp -r "$E2E_DIR/apps/disk" "$CASE_DIR/project"
mkdir -p "$CASE_DIR/project/app/media" "$CASE_DIR/project/extra"
head -c 300000 /dev/urandom >"$CASE_DIR/project/app/media/asset.bin"
head -c 1000 /dev/urandom >"$CASE_DIR/project/extra/beside.bin"
head -c 1000 /dev/urandom >"$CASE_DIR/beside.bin"
start_app pid "$PACK" run "$CASE_DIR/project" --runtime "$RUNTIME" --no-reload -- media
if wait_for_file "$CASE_DIR/project/ready.flag" 40; then
    RUN=folder check_json "$CASE_DIR/project/media-base.txt" "$E2E_DIR/check-disk-media.js"
    touch "$CASE_DIR/project/close-now"
    wait_exit "$pid" 20
    check "closes itself with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
else
    fail "page reported ready"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started
