// Page world: the WebView2-style object the bridge script talks to. Messages leave as DOM events
// carrying JSON text; replies come back the same way. The messages posted before the page's
// script yields travel together, one JSON text a line (JSON.stringify never writes a raw line
// break), so that many calls in flight cost one trip to the host per batch, not one each.
(function () {
  'use strict';
  if (window.chrome && window.chrome.webview) return;
  var MaxBatchMessages = 1000, MaxBatchChars = 1048576;
  var listeners = [];
  var queued = [], queuedChars = 0, flushQueued = false;
  var later = window.queueMicrotask.bind(window);
  function flush() {
    flushQueued = false;
    if (queued.length === 0) return;
    var batch = queued.join('\n');
    queued = [];
    queuedChars = 0;
    document.dispatchEvent(new CustomEvent('zorv:post', {detail: batch}));
  }
  var webview = {
    postMessage: function (message) {
      var text = JSON.stringify(message);
      if (text === undefined) text = 'null';
      queued.push(text);
      queuedChars += text.length;
      if (queued.length >= MaxBatchMessages || queuedChars >= MaxBatchChars) {
        flush();
      } else if (!flushQueued) {
        flushQueued = true;
        later(flush);
      }
    },
    addEventListener: function (type, listener) {
      if (type === 'message' && typeof listener === 'function' && listeners.indexOf(listener) < 0) listeners.push(listener);
    },
    removeEventListener: function (type, listener) {
      var at = listeners.indexOf(listener);
      if (type === 'message' && at >= 0) listeners.splice(at, 1);
    }
  };
  // Each event carries the JSON text of an array of replies, delivered in order.
  document.addEventListener('zorv:messages', function (event) {
    if (typeof event.detail !== 'string') return;
    JSON.parse(event.detail).forEach(function (data) {
      listeners.slice().forEach(function (listener) {
        try { listener.call(webview, {type: 'message', data: data, source: webview}); }
        catch (error) { setTimeout(function () { throw error; }); }
      });
    });
  });
  window.chrome = window.chrome || {};
  Object.defineProperty(window.chrome, 'webview', {value: webview, enumerable: true});
})();
