# Range requests from the archive and from the disk, byte for byte, and a damaged entry in the
# middle of its data. The asset and the damaged entry are large enough to be streamed.
begin_case media
cp -r "$E2E_DIR/apps/media" "$CASE_DIR/project"
mkdir -p "$CASE_DIR/project/app/media"
head -c 300000 /dev/urandom >"$CASE_DIR/project/app/media/asset.bin"
head -c 400000 /dev/urandom >"$CASE_DIR/project/app/media/damaged.bin"
head -c 250000 /dev/urandom >"$CASE_DIR/disk.bin"
pack "$CASE_DIR/project" "$CASE_DIR/media-app" || { fail "pack"; return; }
# One byte in the middle of the damaged entry's data flips; its CRC no longer matches.
python3 - "$CASE_DIR/media-app" <<'PY' || fail "damage the entry"
import sys, zipfile
path = sys.argv[1]
with zipfile.ZipFile(path) as archive:
    info = archive.getinfo('app/media/damaged.bin')
with open(path, 'r+b') as f:
    f.seek(info.header_offset + 26)
    lengths = f.read(4)
    start = info.header_offset + 30 + int.from_bytes(lengths[:2], 'little') + int.from_bytes(lengths[2:], 'little')
    f.seek(start + 12 + 350000)
    byte = f.read(1)
    f.seek(start + 12 + 350000)
    f.write(bytes([byte[0] ^ 0x5A]))
PY
start_app pid "$CASE_DIR/media-app"
if wait_for_file "$CASE_DIR/ready.flag" 40; then
    wait_exit "$pid" 20
    check "closes itself with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    check_json "$CASE_DIR/results.json" "$E2E_DIR/check-media.js"
else
    fail "page reported ready"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started
