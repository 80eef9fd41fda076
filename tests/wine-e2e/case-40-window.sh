# The main window as a user sees it, read from outside at each pause of the page: the caption
# following the page's title, stay-on-top, maximized, full screen and back, the native menu with
# its images, a click on it reaching the page, new windows and permissions.
begin_case window
ini ID=com.zorv.wine.window "Name=Zorv Wine Window" DirName=app DynamicAppTitle=1 Width=640 Height=480
printf '<!doctype html><title>Window</title>\n' >"$PROJECT/app/index.html"
printf '<!doctype html><title>Second</title>\n' >"$PROJECT/app/second.html"
mkdir -p "$PROJECT/app/img"
echo 'iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAYAAAAf8/9hAAAAGUlEQVR4nGO4Iyf3nxLMMGrAqAGjBgwXAwDHMhcf6ozWIQAAAABJRU5ErkJggg==' |
    base64 -d >"$PROJECT/app/img/open.png"
pack window
menu='[{"caption":"&File","id":1,"items":[{"caption":"Open","id":7,"image":"app/img/open.png"},{"caption":"Gone","id":8,"enabled":false}]}]'
node -e '
const menu = process.argv[1];
const m = (id, uuid, data = {}) => ({ message: { id, uuid, data } });
const close = { script: "zorv.events.onCloseQuery();", messages: [m(50001, "close")] };
console.log(JSON.stringify({
  steps: [
    { pause: "initial" },
    { title: "Page Title" },
    { pause: "titled" },
    m(60002, "ontop", { style: "ontop" }), { pause: "ontop" },
    m(60002, "normal", { style: "normal" }), m(60004, "max", { state: "maximized" }), { pause: "maximized" },
    m(60004, "restore", { state: "normal" }), m(50003, "enter"), m(50002, "infull"), { pause: "fullscreen" },
    m(50004, "exit"), m(50002, "outfull"), { pause: "restored" },
    m(12001, "menu", { items: menu }), { inspectMenu: true }, { pause: "menu" },
    m(12002, "update", { id: 7, caption: "Open again" }), m(12002, "noitem", { id: 99 }),
    m(12002, "badid", { id: "abc" }), { inspectMenu: true },
    { newWindow: "file:///second.html" }, { newWindow: "https://example.com/" },
    { permission: 3 },
    { pause: "second" },
    { closeWindow: true },
  ],
  stepsByUrl: { "file:///second.html": [{ mark: "second instance" }, { closeWindow: true }] },
  onScript: [close],
}));' "$menu" >"$CASE_DIR/scenario.json"

start_app pid "$CASE_DIR/bin/window.exe"
title="Zorv Wine Window"
if wait_pause initial; then
    ui dump "$title"
    checkjs "the window opens with the application's name, sizeable, not on top, normal" \
        "ui.caption && ui.thickFrame && !ui.topmost && !ui.maximized && ui.rect[2] === 640 && ui.rect[3] === 480"
    resume initial
fi
wait_pause titled && {
    check "the caption follows the page's title" ui wait "Page Title" 10
    title="Page Title"
    resume titled
}
wait_pause ontop && { ui dump "$title"; checkjs "window.setStyle ontop keeps the window above others" "ui.topmost === true"; resume ontop; }
wait_pause maximized && {
    ui dump "$title"
    checkjs "window.setState maximized maximizes it, setStyle normal takes it off the top" "ui.maximized && !ui.topmost"
    resume maximized
}
wait_pause fullscreen && {
    ui dump "$title"
    checkjs "app.enterFullscreen: no border, maximized" "!ui.caption && !ui.thickFrame && ui.maximized"
    resume fullscreen
}
wait_pause restored && {
    ui dump "$title"
    checkjs "app.exitFullscreen: the sizeable border again, normal state" "ui.caption && ui.thickFrame && !ui.maximized"
    resume restored
}
wait_pause menu && {
    checkjs "the menu bar: File with Open (with its image) and Gone (greyed)" \
        "const m = events('menu')[0].items, f = m[0]; m.length === 1 && f.text === '&File' && f.items[0].text === 'Open' && f.items[0].bitmap && !f.items[0].grayed && f.items[1].text === 'Gone' && f.items[1].grayed && !f.items[1].bitmap"
    open_id=$(node -e 'const t = require("fs").readFileSync(process.argv[1], "utf8").split("\n").filter(Boolean).map(JSON.parse); console.log(t.find((e) => e.event === "menu").items[0].items[0].id)' "$TRANSCRIPT")
    ui dump "$title"
    checkjs "the menu bar takes room from the page" "ui.client[1] < 480 - 30"
    check "the user picks File > Open" ui command "$title" "$open_id"
    check "the click reaches the page as an event script" wait_event '"script":"zorv.events.onMainMenuItemClick(7);"' 10
    resume menu
}
wait_pause second && {
    check "a new window on a file: URL starts a second instance" wait_event '"name":"second instance"' 20
    resume second
}
wait_exit "$pid" 30
check "the first instance ends through the close protocol (exit $EXIT_CODE)" test "$EXIT_CODE" = 0
check "the second instance closes too" ui gone "Zorv Wine Window" 20
checkjs "window replies" "['ontop','normal','max','restore','update'].every((u) => replyFor(u) === '{\"uuid\": \"' + u + '\", \"success\": true, \"result\": true}') && replyFor('menu') === '{\"uuid\": \"menu\", \"success\": true, \"result\": true}' && replyFor('infull').endsWith('true}') && replyFor('outfull').endsWith('false}') && replyFor('noitem') === '{\"uuid\": \"noitem\", \"success\": true, \"result\": true}' && replyFor('badid') === '{\"uuid\": \"badid\", \"success\": false, \"result\": \"Wrong item ID\"}' && !replyFor('enter') && !replyFor('exit')"
checkjs "the file: window was taken over, the web address left to the browser" \
    "events('newWindow').map((e) => e.handled).join() === 'true,false'"
checkjs "the second instance got (identifier, URL) and showed that URL" \
    "const pid = events('mark').find((e) => e.name === 'second instance').pid; events('load').some((e) => e.pid === pid && e.commandLine.endsWith('\"com.zorv.wine.window\" \"file:///second.html\"')) && events('navigate').some((e) => e.pid === pid && e.uri === 'file:///second.html')"
checkjs "permission requests are allowed" "events('permission')[0].state === 1"
checkjs "mainMenu.updateItem renames the item" "const m = events('menu'); m.length === 2 && m[1].items[0].items[0].text === 'Open again'"
