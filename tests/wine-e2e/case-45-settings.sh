# The window settings of zorv.ini as the user finds the window at start, one row per setting:
# name | settings | what the UI helper must see (an expression over its dump `ui`).
settings_rows=(
    "border-single|WindowBorder=1|ui.caption && !ui.thickFrame && !ui.maximized"
    "border-none|WindowBorder=0|!ui.caption && !ui.thickFrame"
    "border-dialog|WindowBorder=3|ui.caption && !ui.thickFrame && !ui.maximizeBox"
    "border-tool|WindowBorder=4|ui.caption && ui.toolWindow && !ui.thickFrame"
    "border-sizeable-tool|WindowBorder=5|ui.caption && ui.toolWindow && ui.thickFrame"
    "maximized|WindowState=1|ui.maximized && ui.caption"
    "on-top|WindowOrder=1|ui.topmost && !ui.maximized"
    "full-screen|WindowStyle=1 WindowBorder=1|!ui.caption && !ui.thickFrame && ui.maximized"
    "size|Width=500 Height=300 WindowPosition=0|ui.rect[2] === 500 && ui.rect[3] === 300 && ui.rect[0] === (ui.screen[0] - 500) / 2"
)
for row in "${settings_rows[@]}"; do
    IFS='|' read -r name keys expression <<<"$row"
    begin_case "settings-$name"
    # shellcheck disable=SC2086
    ini "ID=com.zorv.wine.settings.$name" "Name=Zorv Settings $name" DirName=app $keys
    printf '<!doctype html><title>Settings</title>\n' >"$PROJECT/app/index.html"
    pack settings
    printf '%s' '{"steps": [{"pause": "shown"}, {"message": {"id": 50002, "uuid": "inf", "data": {}}}, {"closeWindow": true}], "onScript": [{"script": "zorv.events.onCloseQuery();", "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]}' \
        >"$CASE_DIR/scenario.json"
    start_app pid "$CASE_DIR/bin/settings.exe"
    if wait_pause shown; then
        ui dump "Zorv Settings $name"
        checkjs "$keys: $expression" "$expression"
        resume shown
    else
        fail "$keys: the page never loaded"
    fi
    wait_exit "$pid" 20
    [ "$EXIT_CODE" = 0 ] || fail "$keys: exit $EXIT_CODE"
    expected_full=false
    [[ "$keys" == *WindowStyle=1* ]] && expected_full=true
    checkjs "$keys: app.inFullscreen answers $expected_full" "replyFor('inf') === '{\"uuid\": \"inf\", \"success\": true, \"result\": $expected_full}'"
done
