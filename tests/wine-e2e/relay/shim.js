// The page's side of the engine mode, installed in every document before its own scripts:
// window.chrome.webview as WebView2 gives it to pages (postMessage, addEventListener('message'),
// removeEventListener; e.data already parsed for JSON posts), and wrappers that ask the host before
// geolocation, notifications, camera and microphone, and clipboard reads go on.
// The relay fills in the names: HOST_BINDING (the CDP binding, removed from the page at once),
// DISPATCH and SECRET (the host's way in: a function that acts only with the run's secret, which
// the page cannot read because it sits in this closure, not in the function's text).
'use strict';

module.exports = function shimSource({ binding, dispatch, secret }) {
    return `(() => {
  const host = globalThis[${JSON.stringify(binding)}];
  delete globalThis[${JSON.stringify(binding)}];
  if (typeof host !== 'function') return;
  const secret = ${JSON.stringify(secret)};
  const send = (kind, fields) => host(JSON.stringify(Object.assign({ kind }, fields)));
  const target = new EventTarget();
  const webview = {
    postMessage(message) {
      const json = JSON.stringify(message);
      send('message', { json: json === undefined ? 'null' : json });
    },
    addEventListener: (type, listener, options) => target.addEventListener(type, listener, options),
    removeEventListener: (type, listener, options) => target.removeEventListener(type, listener, options),
  };
  const decisions = new Map();
  let nextDecision = 0;
  const ask = (permission) => new Promise((resolve) => {
    const id = ++nextDecision;
    decisions.set(id, resolve);
    send('permission', { id, permission });
  });
  Object.defineProperty(globalThis, ${JSON.stringify(dispatch)}, {
    value: function (token, what, value, id) {
      if (token !== secret) return;
      if (what === 'message') target.dispatchEvent(new MessageEvent('message', { data: value }));
      if (what === 'decision' && decisions.has(id)) { const resolve = decisions.get(id); decisions.delete(id); resolve(value); }
    },
  });
  globalThis.chrome = globalThis.chrome || {};
  Object.defineProperty(globalThis.chrome, 'webview', { value: webview, enumerable: true });
  const denied = (name) => new DOMException('Permission denied', name);
  const wrap = (object, name, make) => {
    if (object && typeof object[name] === 'function') {
      const original = object[name];
      Object.defineProperty(object, name, { value: make(original), writable: true, configurable: true });
    }
  };
  if (globalThis.Geolocation) {
    for (const name of ['getCurrentPosition', 'watchPosition']) {
      wrap(Geolocation.prototype, name, (original) => function (success, error, options) {
        ask('geolocation').then((state) => {
          if (state === 'allow') original.call(this, success, error, options);
          else if (error) error({ code: 1, message: 'User denied Geolocation', PERMISSION_DENIED: 1 });
        });
        return 0;
      });
    }
  }
  if (globalThis.Notification) {
    wrap(Notification, 'requestPermission', (original) => function (callback) {
      return ask('notifications').then((state) => state === 'allow' ? original.call(Notification) : 'denied')
        .then((result) => { if (callback) callback(result); return result; });
    });
  }
  if (globalThis.MediaDevices) {
    wrap(MediaDevices.prototype, 'getUserMedia', (original) => function (constraints) {
      const wanted = [];
      if (constraints && constraints.video) wanted.push('camera');
      if (constraints && constraints.audio) wanted.push('microphone');
      return wanted.reduce((chain, permission) => chain.then((ok) => ok && ask(permission).then((s) => s === 'allow')),
                           Promise.resolve(true))
        .then((ok) => ok ? original.call(this, constraints) : Promise.reject(denied('NotAllowedError')));
    });
  }
  if (globalThis.Clipboard) {
    wrap(Clipboard.prototype, 'readText', (original) => function () {
      return ask('clipboard-read').then((s) => s === 'allow' ? original.call(this) : Promise.reject(denied('NotAllowedError')));
    });
  }
  if (window === window.top) {
    window.close = () => send('close', {});
    // The document's title as it changes (CDP reports it only with navigations).
    let title = null;
    const report = () => { if (document.title !== title) { title = document.title; send('title', { title }); } };
    new MutationObserver(report).observe(document, { subtree: true, childList: true, characterData: true });
    document.addEventListener('DOMContentLoaded', report);
  }
})();`;
};
