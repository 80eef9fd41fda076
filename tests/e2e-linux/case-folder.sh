# zorv-pack init and run: a new project served straight from its folder, reloaded when a page
# changes and made again when zorv.ini changes; a packaged file takes the folder option as an
# ordinary argument.

# folder_page VERSION: a start page that reports its version through the bridge each time it
# loads (a file of its own in the project folder, which stands for the executable's), and closes
# once the test creates close-now.
folder_page() {
    cat >"$CASE_DIR/project/app/index.html" <<PAGE
<!doctype html><html><head><meta charset="utf-8"><title>page v$1</title></head>
<body style="background:#e0f0e0;font:20px sans-serif"><h1>Version $1</h1><script>
(async () => {
  const runtime = await zorv.isRuntime();
  const theme = await zorv.themes.getTheme();
  await zorv.files.writeTextFile({filePath: 'loaded-$1-' + crypto.randomUUID() + '.txt', contents: runtime + ' ' + theme});
  for (;;) {
    if (await zorv.files.fileExists({filePath: 'close-now'})) break;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  zorv.app.close();
})();
</script></body></html>
PAGE
}

# Wayland: finds the window by its title with xdotool, an X11 tool
begin_case folder-run
"$PACK" init "$CASE_DIR/project" --name "Folder Run" --id com.zorv.e2e.folder >"$CASE_DIR/init.log" 2>&1
check "init writes a new project" test -f "$CASE_DIR/project/app/index.html"
start_app pid "$PACK" run "$CASE_DIR/project" --runtime "$RUNTIME"
check "run shows init's page in a window named by zorv.ini" wait_for_window '^Folder Run$' 30
folder_page 1
if wait_count 'project/loaded-1-*' 1 20; then
    ok "saving the page reloads it"
    check "the page runs with the bridge, zorv.isRuntime() true" grep -q 'true ' "$CASE_DIR"/project/loaded-1-*
else
    fail "saving the page reloads it"
fi
folder_page 2
check "saving it again reloads it again, once" sh -c "
    for i in \$(seq 100); do [ \$(ls '$CASE_DIR'/project/loaded-2-* 2>/dev/null | wc -l) -ge 1 ] && break; sleep 0.1; done
    sleep 1; [ \$(ls '$CASE_DIR'/project/loaded-2-* | wc -l) -eq 1 ]"
sed -i 's/^Name=Folder Run$/Name=Folder Renamed\nTheme=Carbon/' "$CASE_DIR/project/zorv.ini"
check "editing zorv.ini makes the window again with the new name" wait_for_window '^Folder Renamed$' 30
check "the new window loads the page" wait_count 'project/loaded-2-*' 2 20
check "the new window has the theme zorv.ini now names" grep -q 'true Carbon' "$CASE_DIR"/project/loaded-2-*
touch "$CASE_DIR/project/close-now"
wait_exit "$pid" 20
check "closes with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
stop_started

begin_case folder-option-of-a-packaged-file
"$PACK" init "$CASE_DIR/project" --name "Folder Packaged" --id com.zorv.e2e.folderpacked >"$CASE_DIR/init.log" 2>&1
folder_page 3
pack "$CASE_DIR/project" "$CASE_DIR/app"
mkdir -p "$CASE_DIR/other/app"
printf '[App]\nID=com.zorv.e2e.other\nName=Other\nDirName=app\n' >"$CASE_DIR/other/zorv.ini"
cp "$CASE_DIR/project/app/index.html" "$CASE_DIR/other/app/"
start_app pid "$CASE_DIR/app" --project "$CASE_DIR/other"
if wait_count 'loaded-3-*' 1 30; then
    ok "the packaged file runs its own archive, beside itself"
else
    fail "the packaged file runs its own archive, beside itself"
fi
check "nothing of the other folder is served" test "$(count_files 'other/loaded-*')" = 0
touch "$CASE_DIR/close-now"
wait_exit "$pid" 20
check "closes with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
stop_started

# Wayland: the gesture a new window takes is a key pressed by xdotool, an X11 tool
begin_case folder-new-window
cp -r "$E2E_DIR/apps/instances" "$CASE_DIR/project"
start_app pid "$PACK" run "$CASE_DIR/project" --runtime "$RUNTIME" --no-reload
if wait_count 'project/ready-*' 1 30; then
    press_in_window 'Instances' 10 Return
    check "a new window serves the same project folder" wait_count 'project/page2-*' 1 30
else
    fail "the project runs from its folder"
fi
touch "$CASE_DIR/project/close-now"
wait_exit "$pid" 20
check "closes with exit code 0 (got $EXIT_CODE)" test "$EXIT_CODE" = 0
stop_started
