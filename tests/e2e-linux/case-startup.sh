# Start-up outcomes of a packaged application, seen from outside: exit codes, dialogs, instances.

ARCHIVE_PASSWORD=$(sed -n 's/.*ZORV_ARCHIVE_PASSWORD = "\(.*\)";/\1/p' "$ROOT/src/archive/AbZipKit.cpp")

# raw_package PROJECT_DIR OUTPUT: zipped by Info-ZIP with the fixed password and appended to the
# runtime, for projects that zorv-pack would refuse.
raw_package() {
    (cd "$1" && zip -q -r -P "$ARCHIVE_PASSWORD" "$CASE_DIR/raw.zip" .) && cat "$RUNTIME" "$CASE_DIR/raw.zip" >"$2" &&
        chmod +x "$2"
}

# instances_project EXTRA_INI_LINES: a copy of apps/instances with lines added to its settings.
instances_project() {
    rm -rf "$CASE_DIR/project"
    cp -r "$E2E_DIR/apps/instances" "$CASE_DIR/project"
    printf '%b' "$1" >>"$CASE_DIR/project/zorv.ini"
    pack "$CASE_DIR/project" "$CASE_DIR/app"
}

# Wayland: presses Return in the error dialog with xdotool, an X11 tool (the headless compositor has no seat to type with)
begin_case nothing-appended
cp "$RUNTIME" "$CASE_DIR/bare"
start_app pid "$CASE_DIR/bare"
check "message 5 shows in its error dialog" press_in_window '^Error$' 20 Return
wait_exit "$pid" 10
check "ends with exit code 0 after the message (got $EXIT_CODE)" test "$EXIT_CODE" = 0
stop_started

# Wayland: presses Return in the error dialog with xdotool, an X11 tool (the headless compositor has no seat to type with)
begin_case not-an-archive
cp "$RUNTIME" "$CASE_DIR/junk"
head -c 5000 /dev/urandom >>"$CASE_DIR/junk"
start_app pid "$CASE_DIR/junk"
check "the reader's error shows as Application Error" press_in_window '^Application Error$' 20 Return
wait_exit "$pid" 10
check "ends with exit code 1 (got $EXIT_CODE)" test "$EXIT_CODE" = 1
stop_started

# Wayland: looks for the window with xdotool search, which sees only X11 windows
begin_case missing-id
mkdir -p "$CASE_DIR/noid/app"
printf '[App]\nName=No Identifier\nDirName=app\n' >"$CASE_DIR/noid/zorv.ini"
echo '<p>never shown</p>' >"$CASE_DIR/noid/app/index.html"
raw_package "$CASE_DIR/noid" "$CASE_DIR/noid-app"
start_app pid "$CASE_DIR/noid-app"
wait_exit "$pid" 15
check "ends silently with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
check "no window was shown" sh -c "! xdotool search --name 'No Identifier'"
stop_started

begin_case single-instance
instances_project ""
start_app first "$CASE_DIR/app"
if wait_count 'ready-*' 1 30; then
    ok "first instance runs"
    start_app second "$CASE_DIR/app"
    wait_exit "$second" 15
    check "a second start ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    check "the first instance keeps running" kill -0 "$first"
    start_app third "$CASE_DIR/app" com.zorv.e2e.instances
    wait_exit "$third" 15
    check "identifier alone is no relaunch: exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    start_app relaunch "$CASE_DIR/app" com.zorv.e2e.instances 'zorv://app/page2.html?via=args'
    check "a relaunch (identifier, URL) opens the URL beside the first" wait_count 'page2-*' 1 30
    start_app viafile "$CASE_DIR/app" com.zorv.e2e.instances 'file:///page2.html?via=file'
    check "a file: URL given as relaunch maps onto the app's pages" wait_count 'page2-*' 2 30
    check "each page opened where it was asked" sh -c "cat '$CASE_DIR'/page2-*.txt | grep -c 'zorv://app/page2.html?via=' | grep -qx 2"
    check "only one start page ran" test "$(count_files 'ready-*')" = 1
    touch "$CASE_DIR/close-now"
    for p in "$first" "$relaunch" "$viafile"; do
        wait_exit "$p" 20
        check "instance $p closed itself (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    done
else
    fail "first instance runs"
    tail -20 "$CASE_DIR/app.log"
fi
sleep 1
stop_started

# A new window for an app page starts a second instance when the user asked for it (a key
# pressed in the page); the page alone cannot start one.
# Wayland: the gesture a new window takes is a key pressed by xdotool, an X11 tool
begin_case new-window
instances_project ""
start_app first "$CASE_DIR/app"
if wait_count 'ready-*' 1 30; then
    touch "$CASE_DIR/open-window"
    sleep 2
    check "a window the page opens without a gesture starts nothing" test "$(count_files 'page2-*')" = 0
    press_in_window 'Instances' 10 Return
    check "a window opened on a key press starts a second instance" wait_count 'page2-*' 1 30
    check "... at the page asked for" grep -q 'zorv://app/page2.html?via=open' "$CASE_DIR"/page2-*.txt
    touch "$CASE_DIR/close-now"
    wait_exit "$first" 20
    check "the first instance closed itself (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
else
    fail "first instance runs"
    tail -20 "$CASE_DIR/app.log"
fi
sleep 1
stop_started

# An instance started beside a running one takes the lock over when that one ends: a plain start
# then still finds the application running.
begin_case relaunch-lock
instances_project ""
start_app first "$CASE_DIR/app"
if wait_count 'ready-*' 1 30; then
    start_app relaunch "$CASE_DIR/app" com.zorv.e2e.instances 'zorv://app/page2.html?via=args'
    wait_count 'page2-*' 1 30
    kill "$first"
    wait_exit "$first" 10
    sleep 1.5
    start_app plain "$CASE_DIR/app"
    wait_exit "$plain" 15
    check "after the first instance ended, the relaunched one holds the lock: a plain start ends (exit $EXIT_CODE)" \
        test "$EXIT_CODE" = 0
    check "... and showed no start page" test "$(count_files 'ready-*')" = 1
    touch "$CASE_DIR/close-now"
    wait_exit "$relaunch" 20
else
    fail "first instance runs"
fi
stop_started

begin_case allow-instances
instances_project "AllowInstances=1\n"
start_app first "$CASE_DIR/app"
wait_count 'ready-*' 1 30
start_app second "$CASE_DIR/app"
check "with AllowInstances=1 two instances run side by side" wait_count 'ready-*' 2 30
touch "$CASE_DIR/close-now"
wait_exit "$first" 20
wait_exit "$second" 20
stop_started

# Wayland: presses Return in the error dialog with xdotool, an X11 tool (the headless compositor has no seat to type with)
begin_case unknown-theme
instances_project "Theme=No Such Theme\n"
start_app pid "$CASE_DIR/app"
check "an unknown start-up theme is reported" press_in_window '^Error$' 30 Return
check "and the application starts anyway" wait_count 'ready-*' 1 30
touch "$CASE_DIR/close-now"
wait_exit "$pid" 20
stop_started

# Wayland: types the password and closes the prompt with xdotool, an X11 tool (the headless compositor has no seat to type with)
begin_case password
instances_project "Password=s3cret\n"
start_app pid "$CASE_DIR/app"
if wid=$(wait_for_window '^Zorv E2E Instances$' 20); then
    ok "the password dialog asks first"
    xdotool windowactivate --sync "$wid" >/dev/null 2>&1
    sleep 0.3
    xdotool type --delay 50 's3cret'
    check "the right password typed unlocks the application" wait_count 'ready-*' 1 30
    touch "$CASE_DIR/close-now"
    wait_exit "$pid" 20
else
    fail "the password dialog asks first"
fi
stop_started
rm -f "$CASE_DIR"/ready-* "$CASE_DIR/close-now"
start_app pid "$CASE_DIR/app"
if wid=$(wait_for_window '^Zorv E2E Instances$' 20); then
    xdotool windowactivate --sync "$wid" >/dev/null 2>&1
    sleep 0.3
    xdotool type --delay 50 'wrong'
    xdotool windowclose "$wid" 2>/dev/null || wmctrl -i -c "$wid"
    wait_exit "$pid" 15
    check "closing the prompt without the password ends with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
    check "the application did not start" test "$(count_files 'ready-*')" = 0
else
    fail "the password dialog shows again"
fi
stop_started
# A relaunch with nothing running is an ordinary start: the password is asked.
rm -f "$CASE_DIR"/ready-* "$CASE_DIR/close-now"
start_app pid "$CASE_DIR/app" com.zorv.e2e.instances zorv://app/index.html
if wid=$(wait_for_window '^Zorv E2E Instances$' 20); then
    ok "a relaunch with no instance running asks for the password"
    xdotool windowclose "$wid" 2>/dev/null || wmctrl -i -c "$wid"
    wait_exit "$pid" 15
    check "and starts nothing without it" test "$(count_files 'ready-*')" = 0
else
    fail "a relaunch with no instance running asks for the password"
fi
stop_started
