// The page-side script src/bridge/zorv.js in Node's engine, with a stand-in for
// window.chrome.webview that records posted messages and delivers replies to listeners.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const scriptBytes = readFileSync(new URL('../../src/bridge/zorv.js', import.meta.url));
const script = scriptBytes.toString('utf8').replace(/^\uFEFF/, '');
const UUID_FORMAT = /^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$/;

function loadPage({ random } = {}) {
  const listeners = [];
  const posted = [];
  const webview = {
    addEventListener(type, listener) { if (type === 'message') listeners.push(listener); },
    removeEventListener(type, listener) {
      const index = listeners.indexOf(listener);
      if (type === 'message' && index >= 0) listeners.splice(index, 1);
    },
    postMessage(message) { posted.push(message); },
  };
  const windowListeners = [];
  const window = {
    chrome: { webview },
    addEventListener(type, listener) { windowListeners.push({ type, listener }); },
  };
  const math = Object.create(Math);
  if (random) math.random = random;
  vm.runInContext(script, vm.createContext({ window, Math: math, Promise }));
  // The host's reply reaches every listener registered at that moment.
  const reply = (data) => { for (const listener of [...listeners]) listener({ data }); };
  const lastUuid = () => posted[posted.length - 1].uuid;
  // The page comes back from the back/forward cache (persisted) or is shown anew.
  const pageshow = (persisted) => {
    for (const { type, listener } of windowListeners) if (type === 'pageshow') listener({ persisted });
  };
  return { zorv: window.zorv, posted, listeners, reply, lastUuid, pageshow };
}

test('file is UTF-8 with a byte-order mark and CR LF line ends', () => {
  assert.deepEqual([...scriptBytes.subarray(0, 3)], [0xef, 0xbb, 0xbf]);
  assert.ok(!/[^\r]\n/.test(scriptBytes.toString('utf8')));
});

test('members and namespaces stand in their order', () => {
  const { zorv } = loadPage();
  assert.deepEqual(Object.keys(zorv), ['call', 'hello', 'isRuntime', 'dialogs', 'files', 'folders', 'app',
    'window', 'shell', 'themes', 'base64', 'system', 'mainMenu', 'events']);
  assert.deepEqual(Object.keys(zorv.folders), ['dirExists', 'deleteDir', 'getTempDir', 'getUserDocumentsDir',
    'getUserDesktopDir', 'getAppExecutableDir', 'getAppDataDir']);
  assert.deepEqual(Object.keys(zorv.events), ['onCloseQuery', 'onMainMenuItemClick']);
});

test('every function posts its identifier with the caller\'s args or a new empty object', () => {
  const withArgs = {
    'dialogs.openFile': 20001, 'dialogs.saveFile': 20002, 'files.fileExists': 30001, 'files.deleteFile': 30002,
    'files.writeTextFile': 30003, 'files.extractFile': 30004, 'folders.dirExists': 40001,
    'folders.deleteDir': 40002, 'window.setStyle': 60002, 'window.setState': 60004, 'window.setTitle': 60006,
    'shell.execute': 70001, 'shell.explore': 70002, 'shell.command': 70003, 'themes.setTheme': 80003,
    'base64.decodeToFile': 90001, 'mainMenu.setItems': 12001, 'mainMenu.updateItem': 12002,
  };
  const withoutArgs = {
    hello: 10001, isRuntime: 10002, 'system.logoff': 11001, 'system.reboot': 11002, 'system.shutdown': 11003,
    'system.getPlatform': 11004,
    'folders.getTempDir': 40003, 'folders.getUserDocumentsDir': 40004, 'folders.getUserDesktopDir': 40005,
    'folders.getAppExecutableDir': 40006, 'folders.getAppDataDir': 40007, 'app.close': 50001,
    'app.inFullscreen': 50002, 'app.enterFullscreen': 50003, 'app.exitFullscreen': 50004, 'app.getArgs': 50005,
    'window.getStyle': 60001, 'window.getState': 60003, 'window.getTitle': 60005, 'shell.windows': 70004,
    'themes.getTheme': 80001, 'themes.getThemes': 80002,
  };
  assert.equal(Object.keys(withArgs).length + Object.keys(withoutArgs).length, 40);
  const { zorv, posted } = loadPage();
  const invoke = (path, args) => {
    const parts = path.split('.');
    return parts.length === 1 ? zorv[path](args) : zorv[parts[0]][parts[1]](args);
  };
  for (const [path, id] of Object.entries(withArgs)) {
    const args = { filePath: 'a/b.txt' };
    invoke(path, args);
    const message = posted[posted.length - 1];
    assert.equal(message.id, id, path);
    assert.equal(message.data, args, path);
    assert.deepEqual(Object.keys(message), ['id', 'uuid', 'data']);
  }
  for (const [path, id] of Object.entries(withoutArgs)) {
    invoke(path, { ignored: true });
    const message = posted[posted.length - 1];
    assert.equal(message.id, id, path);
    assert.equal(JSON.stringify(message.data), '{}', path);  // objects of the page's own realm
  }
});

test('each call without arguments gets an object of its own', () => {
  const { zorv, posted } = loadPage();
  zorv.app.getArgs();
  zorv.app.getArgs();
  assert.notEqual(posted[0].data, posted[1].data);
});

test('a call without its argument object posts no data', () => {
  const { zorv, posted } = loadPage();
  zorv.files.fileExists();
  assert.equal(posted[0].data, undefined);
});

test('uuids follow the version-4 template', () => {
  const { zorv, posted } = loadPage();
  for (let i = 0; i < 200; i++) zorv.hello();
  for (const { uuid } of posted) assert.match(uuid, UUID_FORMAT);
  assert.equal(new Set(posted.map((m) => m.uuid)).size, posted.length);
  for (const [random, expected] of [[() => 0, '00000000-0000-4000-8000-000000000000'],
    [() => 0.9999, 'ffffffff-ffff-4fff-bfff-ffffffffffff']]) {
    const page = loadPage({ random });
    page.zorv.hello();
    assert.equal(page.posted[0].uuid, expected);
  }
});

test('one listener serves every call; only the reply with a call\'s uuid settles it', async () => {
  const { zorv, listeners, reply, lastUuid } = loadPage();
  const pending = zorv.hello();
  const helloUuid = lastUuid();
  const other = zorv.isRuntime();
  assert.equal(listeners.length, 1);
  reply({ uuid: 'someone-else', success: true, result: 'no' });
  reply(null);
  reply('zorv-webbrowser-clicked');
  reply({ uuid: { toString: () => helloUuid }, success: true, result: 'forged' });
  reply({ uuid: helloUuid, success: true, result: '2022.1' });
  assert.equal(await pending, '2022.1');
  reply({ uuid: lastUuid(), success: true, result: true });
  assert.equal(await other, true);
  assert.equal(listeners.length, 1);
});

test('arguments that cannot be posted reject the call at once', async () => {
  const webview = { addEventListener() {}, postMessage() { throw new Error('could not be cloned'); } };
  const windowListeners = [];
  const window = {
    chrome: { webview },
    addEventListener(type, listener) { windowListeners.push({ type, listener }); },
  };
  vm.runInContext(script, vm.createContext({ window, Promise }));
  await assert.rejects(window.zorv.files.fileExists({ filePath: () => 1 }), /could not be cloned/);
});

// Every reply used to be offered to every pending call's listener, so replies to n calls in flight
// cost n * n. With one listener and a map the cost per reply stays flat.
test('50,000 calls in flight settle with their own results', async () => {
  const { zorv, posted, reply } = loadPage();
  const calls = [];
  for (let i = 0; i < 50000; i++) calls.push(zorv.files.fileExists({ filePath: String(i) }));
  for (let i = posted.length - 1; i >= 0; i--) reply({ uuid: posted[i].uuid, success: true, result: i });
  const results = await Promise.all(calls);
  assert.ok(results.every((value, i) => value === i));
});

test('calls settle with their own results whatever the order of the replies', async () => {
  const { zorv, posted, reply } = loadPage();
  const first = zorv.window.getTitle();
  const second = zorv.files.fileExists({ filePath: 'x' });
  reply({ uuid: posted[1].uuid, success: true, result: false });
  reply({ uuid: posted[0].uuid, success: true, result: 'Title' });
  assert.deepEqual(await Promise.all([first, second]), ['Title', false]);
});

test('a failing call rejects with the bare result', async () => {
  const { zorv, reply, lastUuid } = loadPage();
  const failing = zorv.files.fileExists({});
  reply({ uuid: lastUuid(), success: false, result: 'Missing filePath' });
  await assert.rejects(failing, (reason) => reason === 'Missing filePath');
  const list = zorv.shell.windows();
  reply({ uuid: lastUuid(), success: false, result: ['a'] });
  await assert.rejects(list, (reason) => Array.isArray(reason) && reason[0] === 'a');
});

test('a second reply with the same uuid changes nothing', async () => {
  const { zorv, reply, lastUuid } = loadPage();
  const call = zorv.isRuntime();
  const uuid = lastUuid();
  reply({ uuid, success: true, result: true });
  reply({ uuid, success: false, result: 'late' });
  assert.equal(await call, true);
});

test('default events: close query closes the application, menu clicks do nothing', () => {
  const { zorv, posted } = loadPage();
  zorv.events.onCloseQuery();
  assert.equal(posted.length, 1);
  assert.equal(posted[0].id, 50001);
  assert.equal(JSON.stringify(posted[0].data), '{}');
  assert.equal(zorv.events.onMainMenuItemClick(1), undefined);
  assert.equal(posted.length, 1);
});

test('a page may replace the close query so that the window stays open', () => {
  const { zorv, posted } = loadPage();
  zorv.events.onCloseQuery = () => {};
  zorv.events.onCloseQuery();
  assert.equal(posted.length, 0);
});

test('hello and isRuntime reach call through this', () => {
  const { zorv, posted } = loadPage();
  const other = { call: (id) => `called ${id}` };
  assert.equal(zorv.hello.call(other), 'called 10001');
  assert.equal(zorv.isRuntime.call(other), 'called 10002');
  assert.equal(posted.length, 0);
});

test('calls left pending by a page that comes back from the back/forward cache are rejected', async () => {
  const { zorv, reply, lastUuid, pageshow } = loadPage();
  const answered = zorv.hello();
  reply({ uuid: lastUuid(), success: true, result: 'hi' });
  const pending = zorv.hello();
  pageshow(false);
  pageshow(true);
  assert.equal(await answered, 'hi');
  await assert.rejects(pending, (reason) => reason === 'The page was restored from the back/forward cache before the call was answered');
  // A later call is answered as usual.
  const later = zorv.hello();
  reply({ uuid: lastUuid(), success: true, result: 'again' });
  assert.equal(await later, 'again');
});
