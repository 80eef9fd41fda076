// A page of the web for the trust case: node server.js PORT_FILE REPORT_FILE. Serves remote.html
// and takes the page's report as a POST to /report.
'use strict';
const http = require('http');
const fs = require('fs');
const [portFile, reportFile] = process.argv.slice(2);
const remote = `<!doctype html><html><head><meta charset="utf-8"><title>Remote</title></head><body><h1>Remote</h1>
<script>
const APP = 'https://app.localhost/';
const R = { location: location.href, zorv: typeof window.zorv, webview: typeof (window.chrome && chrome.webview) };
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
(async () => {
  if (window.chrome && chrome.webview) chrome.webview.postMessage({ id: 10001, uuid: 'remote-hello', data: {} });
  R.hello = await Promise.race([window.zorv ? zorv.hello().then((v) => 'answered ' + v, (e) => 'rejected ' + e)
                                            : Promise.resolve('no zorv'), sleep(3000).then(() => 'no answer')]);
  R.fetchApp = await fetch(APP + 'index.html').then((r) => r.text()).then((t) => 'read ' + t.length, (e) => 'refused: ' + e.message);
  R.fetchAppNoCors = await fetch(APP + 'index.html', { mode: 'no-cors' }).then((r) => 'opaque ' + r.type, (e) => 'refused: ' + e.message);
  // One frame as a page writes it, one that sends no Referer (nor, for a navigation, an Origin).
  for (const [name, policy] of [['referrer', ''], ['no-referrer', 'no-referrer']]) {
    const frame = document.createElement('iframe');
    if (policy) frame.referrerPolicy = policy;
    frame.src = APP + 'index.html?frame=' + name;
    document.body.appendChild(frame);
  }
  await sleep(2000);
  const web = window.open('https://example.com/', '_blank');
  const app = window.open(APP + 'index.html', '_blank');
  await sleep(1000);
  R.popupWeb = web === null ? 'null' : (web.closed ? 'closed' : 'open');
  R.popupApp = app === null ? 'null' : (app.closed ? 'closed' : 'open');
  R.geolocation = await new Promise((resolve) => navigator.geolocation.getCurrentPosition(
    (p) => resolve('position ' + p.coords.latitude), (e) => resolve('refused ' + e.code)));
  R.notifications = await Notification.requestPermission();
  await fetch('/report', { method: 'POST', body: JSON.stringify(R) });
  // Last, the web page tries to bring an application page into the window.
  location.href = APP + 'index.html?from=web';
})();
</script></body></html>`;
const server = http.createServer((request, response) => {
    if (request.url === '/report' && request.method === 'POST') {
        let body = '';
        request.on('data', (chunk) => { body += chunk; });
        request.on('end', () => { fs.writeFileSync(reportFile, body); response.end('ok'); });
        return;
    }
    response.writeHead(200, { 'Content-Type': 'text/html' });
    response.end(remote);
});
server.listen(0, '127.0.0.1', () => fs.writeFileSync(portFile, String(server.address().port)));
