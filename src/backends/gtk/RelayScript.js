// Isolated world: relays each batch of messages with the URL and origin of the document it came
// from. Page scripts cannot reach this world, so they cannot change what goes along. The replies
// come back as the answer to the batch's message, in the frame that posted it. An answer that
// starts "W<ticket>:" leaves calls of the batch still running: a wait message with that ticket
// then brings their replies when they come.
(function () {
  'use strict';
  var handlers = window.webkit.messageHandlers;
  function post(body) {
    handlers.zorv.postMessage(body).then(deliver, function () {});
  }
  function deliver(answer) {
    if (typeof answer !== 'string') return;
    var replies = answer;
    if (answer.charAt(0) === 'W') {
      var colon = answer.indexOf(':');
      post({wait: answer.slice(1, colon)});
      replies = answer.slice(colon + 1);
    }
    if (replies !== '[]') document.dispatchEvent(new CustomEvent('zorv:messages', {detail: replies}));
  }
  document.addEventListener('zorv:post', function (event) {
    if (typeof event.detail !== 'string') return;
    post({url: String(location.href), origin: String(self.origin), message: event.detail});
  }, true);
  // The user's gestures, as this frame receives them: the host gives a gesture behind a new
  // window, a download or a navigation of the top to the frame that last received one. Listened
  // to before any script of the page can, and only events the user made count. A frame whose
  // scripts cannot run reports nothing itself: the focus moving into a child frame this document
  // cannot reach (another origin, a sandbox) counts as a gesture elsewhere.
  function report(elsewhere) {
    handlers.zorv.postMessage({gesture: true, elsewhere: elsewhere, url: String(location.href), origin: String(self.origin)});
  }
  function gesture(event) {
    if (event.isTrusted) report(false);
  }
  function focusLeft(event) {
    var frame = document.activeElement;
    if (!event.isTrusted || event.target !== window || !frame || !/^(IFRAME|FRAME|OBJECT|EMBED)$/.test(frame.tagName)) return;
    var reachable = false;
    try { reachable = frame.contentDocument !== null; } catch (error) {}
    if (!reachable) report(true);
  }
  window.addEventListener('pointerdown', gesture, true);
  window.addEventListener('keydown', gesture, true);
  window.addEventListener('blur', focusLeft, true);
})();
