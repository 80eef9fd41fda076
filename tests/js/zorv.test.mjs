// The page-side script src/bridge/zorv.js in Node's engine, with a stand-in for
// window.chrome.webview that records posted messages and delivers replies to listeners.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import vm from 'node:vm';

const scriptBytes = readFileSync(new URL('../../src/bridge/zorv.js', import.meta.url));

// The bridge's function table, read from its one definition in BrowserExternalModule.cpp: rows
// {id, "path", &TBrowserExternalModule::Handler, TPageArgs::Passed or None}. A row this reading
// does not understand fails the tests rather than being left out.
function readFunctionTable() {
  const source = readFileSync(new URL('../../src/bridge/BrowserExternalModule.cpp', import.meta.url), 'utf8');
  const start = source.indexOf('TBrowserExternalModule::FunctionTable[] = {');
  assert.ok(start >= 0, 'FunctionTable not found in BrowserExternalModule.cpp');
  const body = source.slice(source.indexOf('{', start) + 1, source.indexOf('\n};', start));
  const rows = body.split(/\},?/).map((row) => row.replace(/\s+/g, ' ').trim()).filter((row) => row !== '');
  return rows.map((row) => {
    const match = /^\{(\d+), "([\w.]+)", &TBrowserExternalModule::\w+, TPageArgs::(Passed|None)$/.exec(row);
    assert.ok(match, `a row of FunctionTable this test cannot read: ${row}`);
    return [Number(match[1]), match[2], match[3] === 'Passed'];
  });
}
const functionTable = readFunctionTable();
// The script as the host embeds it: without its byte-order mark, the table in its placeholder.
const script = scriptBytes.toString('utf8').replace(/^\uFEFF/, '')
  .replace('ZORV_FUNCTION_TABLE', JSON.stringify(functionTable));
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

test('the function table is read whole', () => {
  assert.ok(functionTable.length >= 40);
  assert.equal(new Set(functionTable.map(([id]) => id)).size, functionTable.length);
  assert.ok(functionTable.some(([, , passed]) => passed) && functionTable.some(([, , passed]) => !passed));
});

test('members and namespaces stand in the table\'s order, between call and events', () => {
  const { zorv } = loadPage();
  const topNames = [...new Set(functionTable.map(([, path]) => path.split('.')[0]))];
  assert.deepEqual(Object.keys(zorv), ['call', ...topNames, 'events']);
  for (const name of topNames) {
    const members = functionTable.map(([, path]) => path.split('.')).filter((names) => names[0] === name);
    if (members[0].length === 1) continue;
    assert.deepEqual(Object.keys(zorv[name]), members.map((names) => names[1]), name);
  }
  assert.deepEqual(Object.keys(zorv.events), ['onCloseQuery', 'onMainMenuItemClick']);
});

test('every function posts its identifier with the caller\'s args or a new empty object', () => {
  const { zorv, posted } = loadPage();
  const invoke = (path, args) => {
    const names = path.split('.');
    const owner = names.slice(0, -1).reduce((object, name) => object[name], zorv);
    return owner[names[names.length - 1]](args);
  };
  for (const [id, path, passed] of functionTable) {
    const args = { filePath: 'a/b.txt' };
    invoke(path, args);
    const message = posted[posted.length - 1];
    assert.equal(message.id, id, path);
    assert.deepEqual(Object.keys(message), ['id', 'uuid', 'data']);
    if (passed) assert.equal(message.data, args, path);
    else assert.equal(JSON.stringify(message.data), '{}', path);  // objects of the page's own realm
  }
  assert.equal(posted.length, functionTable.length);
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
