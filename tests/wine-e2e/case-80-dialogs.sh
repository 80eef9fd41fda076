# The file dialogs through the bridge: the user types a name and confirms, or cancels; the reply
# carries the chosen path, or the empty string.
begin_case dialogs
ini ID=com.zorv.wine.dialogs "Name=Zorv Wine Dialogs" DirName=app
printf '<!doctype html><title>Dialogs</title>\n' >"$PROJECT/app/index.html"
pack dialogs
: >"$CASE_DIR/bin/chosen.txt"
chosen=$(winpath "$CASE_DIR/bin/chosen.txt")
export ZORV_E2E_CHOSEN=$chosen
node -e '
const m = (id, uuid, data = {}) => ({ message: { id, uuid, data } });
console.log(JSON.stringify({
  steps: [m(20001, "open", { title: "Pick a file", fileTypes: "Text|*.txt;All|*.*" }), { waitReply: "open" },
          m(20002, "save", { title: "Store it" }), { waitReply: "save" }, { closeWindow: true }],
  onScript: [{ script: "zorv.events.onCloseQuery();", messages: [m(50001, "close")] }],
}));' >"$CASE_DIR/scenario.json"
start_app pid "$CASE_DIR/bin/dialogs.exe"
if check "openFile shows the system's open dialog with the page's title" ui wait "Pick a file" 20; then
    sleep 0.5
    ui retype "Pick a file" "$chosen"
    ui click "Pick a file" Open
fi
if check "saveFile shows the save dialog with its title" ui wait "Store it" 20; then
    sleep 0.5
    ui close "Store it"
fi
wait_exit "$pid" 20
check "the application ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
checkjs "the confirmed file's full path is the reply" \
    "replyFor('open') === '{\"uuid\": \"open\", \"success\": true, \"result\": ' + JSON.stringify(process.env.ZORV_E2E_CHOSEN) + '}'"
checkjs "a cancelled dialog answers the empty string" "replyFor('save') === '{\"uuid\": \"save\", \"success\": true, \"result\": \"\"}'"
