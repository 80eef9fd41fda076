# Bad calls a careless or hostile page makes, through the real runtime: each settles, the next call
# is answered, and what reaches the disk is byte for byte what was sent. Then a damaged package.
begin_case settle
pack "$E2E_DIR/apps/settle" "$CASE_DIR/settle-app" || { fail "pack"; return; }
start_app pid "$CASE_DIR/settle-app"
wait_exit "$pid" 90
if [ -e "$CASE_DIR/results.json" ]; then
    check "closes itself with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    check_json "$CASE_DIR/results.json" "$E2E_DIR/check-settle.js"
else
    fail "page wrote its results"
    cat "$CASE_DIR/error.txt" 2>/dev/null
    tail -20 "$CASE_DIR/app.log"
fi
stop_started

# Wayland: presses Return in the error dialog with xdotool, an X11 tool (the headless compositor has no seat to type with)
begin_case damaged-package
pack "$E2E_DIR/apps/settle" "$CASE_DIR/damaged-app" || { fail "pack"; return; }
# One byte flipped in the CRC-32 of the settings' central-directory record.
python3 - "$CASE_DIR/damaged-app" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
record = data.rindex(b'zorv.ini') - 46
data[record + 16] ^= 0x20
open(path, 'wb').write(data)
PY
start_app pid "$CASE_DIR/damaged-app"
check "a damaged file is reported as Application Error" press_in_window '^Application Error$' 20 Return
wait_exit "$pid" 10
check "ends with exit code 1 (got $EXIT_CODE)" test "$EXIT_CODE" = 1
stop_started
