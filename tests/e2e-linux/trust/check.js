// Expectations of the trust case: what the app may do, and that nothing else ran.
const {read, expect, app, reports, requests, finish} = require('./results.js');
expect('an app frame\'s command is answered in the frame', app.child === 'child-ok\n', app.child);
expect('the app is granted a permission', app.geolocation === 'granted', app.geolocation);
expect('the app\'s download asked where to save', app.dialogClosed === true, app.dialogClosed);
expect('a page served from disk runs no script (it is sandboxed)', !/GET \/disk-page-loaded/.test(requests), requests);
expect('the page cannot reach the message handler', reports.pageWorldHandler === 'unreachable', reports.pageWorldHandler);
expect('probing a file on disk looks like probing nothing',
       reports.probeExisting === 'error' && reports.probeMissing === 'error' && reports.probeAppPage === 'error',
       [reports.probeExisting, reports.probeMissing, reports.probeAppPage]);
expect('the downloaded page framed by the remote page never loaded', !/evil-loaded/.test(requests), requests);
expect('a remote page is refused a permission', reports.geolocation === 'denied', reports.geolocation);
expect('no reply reached the remote page', Array.isArray(reports.seen) && reports.seen.length === 0, reports.seen);
expect('the late reply never reached the remote site', !/LATE-SECRET/.test(read('reports.log') + requests), reports.seen);
expect('the remote page cannot navigate into the app', typeof reports.done === 'string' && reports.done.startsWith('http://127.0.0.1'), reports.done);
finish();
