# The WebView2 runtime is missing and the application carries the installer: accepted and
# successful, the installer file is removed and the application starts again exactly once;
# accepted and failed, the user is told and the data folder goes. The window shown meanwhile
# cannot be closed.
install_case() {  # NAME INSTALLER_EXIT
    begin_case "$1"
    ini "ID=com.zorv.wine.$1" "Name=Zorv Wine $1" DirName=app
    printf '<!doctype html><title>Installed</title>\n' >"$PROJECT/app/index.html"
    cp "$TOOLS/WebView2Installer.exe" "$PROJECT/"
    pack "$1"
    printf '%s' '{"steps": [{"closeWindow": true}], "onScript": [{"script": "zorv.events.onCloseQuery();", "messages": [{"message": {"id": 50001, "uuid": "close", "data": {}}}]}]}' \
        >"$CASE_DIR/scenario.json"
    export ZORV_WV2_RUNTIME_MARKER ZORV_INSTALLER_LOG ZORV_INSTALLER_EXIT=$2 ZORV_INSTALLER_DELAY_MS=2500
    ZORV_WV2_RUNTIME_MARKER=$(winpath "$CASE_DIR/runtime-installed")
    ZORV_INSTALLER_LOG=$(winpath "$CASE_DIR/installer.log")
    DATA="$LOCAL_APPDATA/com.zorv.wine.$1"
    start_app APP_PID "$CASE_DIR/bin/$1.exe"
    if check "the installation is offered" ui wait Confirm 20; then
        ui dump Confirm
        checkjs "... with message 7" "ui.controls.some((c) => c.text === 'The Microsoft WebView2 runtime is required to run this application. Do you want to install it now?')"
        ui click Confirm Accept
    fi
    if check "the installer window shows while the installer runs" ui wait class:ZorvEdgeInstallerForm 10; then
        ui close class:ZorvEdgeInstallerForm
        sleep 0.3
        check "... and cannot be closed" ui wait class:ZorvEdgeInstallerForm 1
    fi
    check "the installer ran from the data folder with /silent /install" \
        grep -qiE "com\.zorv\.wine\.$1\\\\WebView2Installer\.exe\"? +/silent /install" "$CASE_DIR/installer.log"
}

install_case installed 0
wait_exit "$APP_PID" 30
check "a successful installation ends the first process with 0 (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
check "... removes the installer file" test ! -e "$DATA/WebView2Installer.exe"
check "... and starts the application again, which runs and closes" wait_event '"event":"controllerClose"' 30
sleep 1
checkjs "exactly one relaunch: two processes loaded the loader, one of them made a web view" \
    "new Set(events('load').map((e) => e.pid)).size === 2 && events('createEnvironment').length === 1 && events('createEnvironment')[0].pid !== events('load')[0].pid"
check "no window is left" ui gone "Zorv Wine installed" 10

install_case failed 1
if check "a failed installation is reported" ui wait Error 20; then
    ui dump Error
    checkjs "... with message 9" "ui.controls.some((c) => c.text === 'You cancel the installation of Microsoft WebView2 runtime, This application cannot continue and will be closed now.')"
    ui close Error
fi
wait_exit "$APP_PID" 20
check "... and ends with 0 (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
check "... removing the data folder" test ! -e "$DATA"
checkjs "... without a web view" "events('createEnvironment').length === 0"
unset ZORV_WV2_RUNTIME_MARKER ZORV_INSTALLER_LOG ZORV_INSTALLER_EXIT ZORV_INSTALLER_DELAY_MS
