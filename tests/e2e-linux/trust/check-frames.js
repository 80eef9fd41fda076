// Expectations of the frames case: the widget gets what its own origin gets, the app keeps
// what it had.
const {read, expect, app, reports, finish} = require('./results.js');
const browser = read('browser.log');
const refused = value => typeof value === 'string' && !value.startsWith('granted') && value !== 'position';
expect('the app fetches its own file', app.fetch === 'ok', app.fetch);
expect('the app imports its module', app.module === 'module-ok', app.module);
expect('the app runs its worker', app.worker === 'worker-ok', app.worker);
expect('the app is granted a permission', app.geolocation === 'granted', app.geolocation);
for (const frame of ['aboutBlank', 'srcdoc', 'blob'])
  expect(`a call from an ${frame} frame of the app is answered`, app[frame] === 'answered', app[frame]);
const probes = reports.probes || {};
for (const way of ['script', 'imgExisting', 'imgMissing', 'diskExisting', 'style', 'fetch', 'fetchNoCors'])
  expect(`the widget cannot load the app's content: ${way}`, probes[way] === 'error', probes[way]);
expect('the widget cannot read the app\'s globals', probes.secret === 'unread', probes.secret);
expect('the widget cannot frame an app page', !/^load zorv:/.test(reports.framedAppPage || ''), reports.framedAppPage);
for (const child of ['srcdocChild', 'blobChild', 'dataChild'])
  expect(`a ${child} of the widget cannot load the app's content`, reports[child] !== 'load', reports[child]);
expect('the widget is refused geolocation', reports.geolocation === 'denied', reports.geolocation);
expect('the widget is refused notifications', reports.notification === 'granted denied' || refused(reports.notification), reports.notification);
expect('the widget is refused the camera', refused(reports.camera), reports.camera);
expect('the widget was clicked', reports.clicked === true, reports.clicked);
expect('the widget is refused the clipboard', refused(reports.clipboard), reports.clipboard);
expect('no window without a gesture reached the browser', !/no-gesture/.test(browser), browser);
expect('the widget\'s window on a click opens in the browser', /popup-gesture/.test(browser), browser);
expect('the widget moving the top on a click goes to the browser', /top-gesture/.test(browser), browser);
expect('a link to the top in the widget\'s script-less child goes to the browser', /top-from-child/.test(browser), browser);
expect('the app page stayed in the window', read('pong').replace(/^\uFEFF/, '').trim() === 'pong', read('pong'));
finish();
