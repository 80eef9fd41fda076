// Writes the bridge case's scenario: every bridge function called through the runtime's real
// dispatcher, each call with the reply expected byte for byte ("expect"; null: no reply at all).
// node bridge-scenario.js OUT.json  (paths come from the environment, Windows form)
'use strict';
const fs = require('fs');

const env = process.env;
const binDir = env.BIN_DIR_WIN;        // the executable's folder, with its trailing "\"
const exePath = env.EXE_WIN;
const userDir = env.USER_DIR_WIN;      // C:\users\<name>\
const title = env.APP_NAME;

const steps = [];
const reply = (uuid, success, result) => `{"uuid": "${uuid}", "success": ${success}, "result": ${result}}`;
const str = (text) => JSON.stringify(text);
let counter = 0;
// call(id, data, success, resultJson, extra): one call and its expected reply.
function call(id, data, success, result, extra = {}) {
    const uuid = `c-${++counter}`;
    const expect = success === null ? null : reply(uuid, success, result);
    steps.push({ message: { id, uuid, data }, expect, ...extra });
    return uuid;
}

call(10001, {}, true, str('2022.1'));
call(10002, {}, true, 'true');
// Files: relative paths against the executable's folder, "/" as a separator, absolute paths.
call(30001, { filePath: 'exists.txt' }, true, 'true');
call(30001, { filePath: 'sub/nested.txt' }, true, 'true');
call(30001, { filePath: 'sub' }, true, 'false');
call(30001, { filePath: binDir + 'exists.txt' }, true, 'true');
call(30001, {}, false, str('Missing filePath'));
call(30003, { filePath: 'out/new.txt', contents: 'a\nb' }, true, 'true');
call(30003, { contents: 'x' }, false, str('Missing filePath'));
call(30002, { filePath: 'todelete.txt' }, true, 'true');
call(30002, { filePath: 'todelete.txt' }, true, 'false');
call(30004, { sourceFile: '/inside.txt', targetFile: binDir + 'extracted.txt' }, true, 'true');
call(30004, { sourceFile: 'inside.txt', targetFile: binDir + 'never.txt' }, false, str('File not found'));
call(30004, { targetFile: binDir + 'never.txt' }, false, str('Missing sourceFile'));
call(30004, { sourceFile: '/inside.txt' }, false, str('Missing targetFile'));
// Folders.
call(40001, { dirPath: 'adir' }, true, 'true');
call(40001, { dirPath: 'nope' }, true, 'false');
call(40001, {}, false, str('Missing dirPath'));
call(40002, { dirPath: 'deldir' }, true, 'true');
call(40002, { dirPath: 'deldir' }, true, 'false');
call(40004, {}, true, str(userDir + 'Documents\\'));
call(40005, {}, true, str(userDir + 'Desktop\\'));
call(40006, {}, true, str(binDir));
call(40007, {}, true, str(userDir + 'AppData\\Roaming\\'));
steps.push({ message: { id: 40003, uuid: 'c-temp', data: {} }, expectPattern: '^\\{"uuid": "c-temp", "success": true, "result": "[A-Z]:\\\\\\\\.*\\\\\\\\"\\}$' });
// Base64 to a file.
call(90001, { filePath: 'b64/abc.bin', contents: 'YWJj' }, true, 'true');
call(90001, { filePath: 'b64/six.bin', contents: 'YWJjZA' }, true, 'true');  // an unpadded tail is decoded, not dropped
steps.push({ message: { id: 90001, uuid: 'c-badb64', data: { filePath: 'b64/bad.bin', contents: 'Y W J j' } },
             expectPattern: '^\\{"uuid": "c-badb64", "success": false, "result": "[^"]+"\\}$' });
call(90001, { filePath: 'b64/one.bin', contents: 'YQ==' }, true, 'true');
call(90001, { contents: 'YQ==' }, false, str('Missing filePath'));
// App and window.
call(50002, {}, true, 'false');
call(50005, {}, true, `[${str(exePath)},"one","two words"]`);
call(60001, {}, true, str('normal'));
call(60002, { style: 'ontop' }, true, 'true');
call(60001, {}, true, str('ontop'));
call(60002, {}, true, 'true');
call(60001, {}, true, str('normal'));
call(60003, {}, true, str('normal'));
call(60004, { state: 'Maximized' }, true, 'true');
call(60003, {}, true, str('normal'));
call(60004, { state: 'maximized' }, true, 'true');
call(60003, {}, true, str('maximized'));
call(60004, { state: 'normal' }, true, 'true');
call(60005, {}, true, str(title));
call(60006, { title: 'say "hi" to C:\\temp' }, true, 'true');
call(60005, {}, true, str('say "hi" to C:\\temp'));
call(60006, { title }, true, 'true');
// Shell.
call(70001, {}, false, str('Missing filePath'));
call(70002, {}, false, str('Missing filePath'));
call(70003, {}, false, str('Missing command'));
const echo = call(70003, { command: 'echo hello' }, true, str('hello\r\n'));
steps.push({ waitReply: echo });
const cd = call(70003, { command: 'cd', workingDir: binDir + 'adir' }, true, str(binDir + 'adir\r\n'));
steps.push({ waitReply: cd });
steps.push({ message: { id: 70004, uuid: 'c-windows', data: {} }, expectContains: str(title) });
// Themes.
call(80001, {}, true, str('Windows'));
call(80003, { name: 'Carbon' }, true, 'true');
call(80001, {}, true, str('Carbon'));
call(80003, { name: 'carbon' }, true, 'false');  // switches, but the name is not the exact one
call(80003, { name: 'No Such Theme' }, true, 'false');
call(80001, {}, true, str('Carbon'));
call(80003, { name: 'Windows' }, true, 'true');
// The 40 names sorted without regard to case, "Windows" the 34th.
steps.push({
    message: { id: 80002, uuid: 'c-themes', data: {} },
    expectPattern: '^\\{"uuid": "c-themes", "success": true, "result": \\["Amakrits",("[^"]+",){32}"Windows",("[^"]+",){5}"Windows10 SlateGray"\\]\\}$',
});
// Calls that get no reply: another origin, no JSON, a uuid that would break the reply's JSON. An
// unknown function is an error reply, so that its promise settles. The calls after them are still
// answered.
call(10001, {}, null, null, { source: 'https://example.com/index.html' });
call(10001, {}, null, null, { source: 'about:blank' });
steps.push({ raw: 'not json at all', expect: null });
call(99999, {}, false, str("No function has the identifier '99999'"));
steps.push({ message: { id: 10001, uuid: 'bad"uuid', data: {} }, expect: null, uuidForCheck: 'bad"uuid' });
call(10001, {}, true, str('2022.1'));
steps.push({ closeWindow: true });

const scenario = {
    steps,
    onScript: [{ script: 'zorv.events.onCloseQuery();', messages: [{ message: { id: 50001, uuid: 'close', data: {} } }] }],
};
fs.writeFileSync(process.argv[2], JSON.stringify(scenario, null, 1));
