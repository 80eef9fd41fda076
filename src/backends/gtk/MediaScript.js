// Points the page's audio and video at the local media player: every src that names an
// application URL, set as a property, an attribute or through new Audio(), is turned into the
// player's address. The runtime puts in the two values at the end as JSON strings.
(function (base, appPrefix) {
  'use strict';
  if (String(location.href).indexOf(appPrefix) !== 0) return;
  // The media player's address for an application URL; any other URL as it is.
  function playable(value) {
    var url;
    try { url = new URL(String(value), document.baseURI).href; } catch (error) { return value; }
    return url.indexOf(appPrefix) === 0 ? base + url.slice(appPrefix.length) : value;
  }
  // Fetched with CORS, so frames drawn on a canvas can still be read.
  function allowReading(element) {
    var media = element.localName === 'source' ? element.parentElement : element;
    if (media && /^(video|audio)$/.test(media.localName) && !media.hasAttribute('crossorigin'))
      media.setAttribute('crossorigin', 'anonymous');
  }
  [HTMLMediaElement, HTMLSourceElement].forEach(function (type) {
    var own = Object.getOwnPropertyDescriptor(type.prototype, 'src');
    Object.defineProperty(type.prototype, 'src', {
      configurable: true, enumerable: own.enumerable, get: own.get,
      set: function (value) {
        var to = playable(value);
        if (to !== value) allowReading(this);
        own.set.call(this, to);
      }
    });
  });
  var NativeAudio = window.Audio;
  var Audio = function Audio(src) {
    var audio = new NativeAudio();
    if (src !== undefined) audio.src = src;
    return audio;
  };
  Audio.prototype = NativeAudio.prototype;
  window.Audio = Audio;
  function point(element) {
    var value = element.getAttribute('src');
    if (value === null) return;
    var to = playable(value);
    if (to === value) return;
    allowReading(element);
    element.setAttribute('src', to);
  }
  function visit(node) {
    if (node.nodeType !== 1) return;
    if (/^(video|audio|source)$/.test(node.localName)) point(node);
    if (node.firstElementChild) node.querySelectorAll('video[src], audio[src], source[src]').forEach(point);
  }
  new MutationObserver(function (records) {
    records.forEach(function (record) {
      if (record.type === 'attributes') visit(record.target);
      else record.addedNodes.forEach(visit);
    });
  }).observe(document, {childList: true, subtree: true, attributes: true, attributeFilter: ['src']});
})(ZORV_MEDIA_BASE, ZORV_APP_PREFIX);
