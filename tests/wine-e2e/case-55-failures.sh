# Start-up failures not met elsewhere: settings without a name or folder end silently; a loader
# copy that cannot be created is an application error with the file's name.

# zorv-pack refuses such settings: these archives are made with the zip tool and the fixed
# password, and appended to a copy of the runtime by hand.
ZORV_ARCHIVE_PASSWORD=t4wq8zvc1mhy7kxa2gpd6ufe0snjr5lbo3iq
pack_by_hand() {  # NAME
    (cd "$PROJECT" && zip -q -r -X -P "$ZORV_ARCHIVE_PASSWORD" "$CASE_DIR/app.zip" .)
    cat "$RUNTIME" "$CASE_DIR/app.zip" >"$CASE_DIR/bin/$1.exe"
}
for missing in Name DirName; do
    begin_case "no-$missing"
    keys=(ID=com.zorv.wine.no$missing "Name=Zorv Wine Missing" DirName=app)
    ini "${keys[@]/#$missing=*/}"
    printf '<!doctype html><title>x</title>\n' >"$PROJECT/app/index.html"
    pack_by_hand app
    start_app pid "$CASE_DIR/bin/app.exe"
    wait_exit "$pid" 20
    check "settings without $missing end with 0 (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
    check "... before the data folder is made" test ! -e "$LOCAL_APPDATA/com.zorv.wine.no$missing"
done

begin_case loader-blocked
ini ID=com.zorv.wine.blocked "Name=Zorv Wine Blocked" DirName=app
printf '<!doctype html><title>x</title>\n' >"$PROJECT/app/index.html"
pack blocked
# A folder where the loader's copy should go: the file cannot be created.
mkdir -p "$LOCAL_APPDATA/com.zorv.wine.blocked/Win64/WebView2LoaderWin64.dll"
start_app pid "$CASE_DIR/bin/blocked.exe"
if check "a loader that cannot be copied is reported" ui wait "Application Error" 20; then
    ui dump "Application Error"
    checkjs "... naming the file" \
        "ui.controls.some((c) => c.text.startsWith('Cannot create file \"C:\\\\users\\\\') && c.text.includes('\\\\AppData\\\\Local\\\\com.zorv.wine.blocked\\\\Win64\\\\WebView2LoaderWin64.dll\". '))"
    ui close "Application Error"
fi
wait_exit "$pid" 20
check "... and ends with 1 (exit $EXIT_CODE)" test "$EXIT_CODE" = 1
checkjs "... without a web view" "events('createEnvironment').length === 0"
