# The trust boundary, tried as an attacker would: the app leaves for a remote page (a small site on
# 127.0.0.1) which frames a downloaded page and app pages, probes the disk through the scheme,
# opens app URLs, asks for permissions, starts a download and posts on every channel it can reach.
# The app's own frames, permission and download are checked too. Nothing else may run.
# Wayland: cancels the download dialog with a key pressed by xdotool, an X11 tool (the headless compositor has no seat to type with)
begin_case trust
pack "$E2E_DIR/apps/trust" "$CASE_DIR/trust-app" || { fail "pack"; return; }
if ! start_remote_site; then fail "remote site started"; stop_started; return; fi
port=$(cat "$CASE_DIR/port")
mkdir -p "$CASE_DIR/home/Downloads"
# A page a browser saved, and a page beside the app: both reachable by path, neither the app.
cat >"$CASE_DIR/home/Downloads/evil.html" <<HTML
<script>new Image().src = 'http://127.0.0.1:$port/evil-loaded';
zorv.shell.command({command: 'touch pwned-download'});</script>
HTML
cat >"$CASE_DIR/disk-page.html" <<HTML
<script>new Image().src = 'http://127.0.0.1:$port/disk-page-loaded';
zorv.shell.command({command: 'touch pwned-disk-page'});
zorv.files.writeTextFile({filePath: 'pwned-disk-page-write', contents: 'x'});</script>
HTML
start_app pid "$CASE_DIR/trust-app"
press_in_window '^Save download$' 40 Escape && ok "the app's download shows a save dialog" ||
    fail "the app's download shows a save dialog"
touch "$CASE_DIR/dialog-closed.flag"
if wait_for_file "$CASE_DIR/app-results.json" 30; then
    wait_for_report done 30
    sleep 1
    check "nothing the untrusted pages asked for ran" test -z "$(compgen -G "$CASE_DIR/pwned-*")"
    check "no download was written" test -z "$(find "$CASE_DIR" -name 'data.bin*' -o -name 'remote.bin*')"
    instances=$(count_instances "$CASE_DIR/trust-app")
    check "the remote page started no instance (running: $instances)" test "$instances" = 1
    check_json "$CASE_DIR/app-results.json" "$E2E_DIR/trust/check.js"
else
    fail "the app page wrote its results"
    tail -20 "$CASE_DIR/app.log"
fi
stop_started
