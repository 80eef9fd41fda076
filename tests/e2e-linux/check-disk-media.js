// Probes the media server of a running apps/disk (mode media) from outside, with the run's key:
// the app's own files are served (ranges too), nothing else of the disk, and nothing under another
// host name. RUN=packaged: only the archive; RUN=folder: the project folder as well.
// Usage: RUN=packaged|folder node check-disk-media.js MEDIA_BASE_FILE CASE_DIR
const fs = require('fs');
const http = require('http');
const path = require('path');
const [baseFile, caseDir] = process.argv.slice(2);
const base = new URL(fs.readFileSync(baseFile, 'utf8').trim());
const project = path.join(caseDir, 'project');
let failures = 0;
function expect(what, condition, detail) {
  if (condition) console.log('ok: ' + what);
  else { failures++; console.log('FAIL: ' + what + ' -- got ' + JSON.stringify(detail)); }
}
function get(rest, headers = {}) {
  return new Promise((resolve) => {
    const request = http.get({host: '127.0.0.1', port: base.port, path: base.pathname + rest, headers}, (response) => {
      const parts = [];
      response.on('data', (part) => parts.push(part));
      response.on('end', () => resolve({status: response.statusCode, body: Buffer.concat(parts)}));
      response.on('error', (error) => resolve({status: 'error ' + error.message, body: Buffer.alloc(0)}));
    });
    request.on('error', (error) => resolve({status: 'error ' + error.message, body: Buffer.alloc(0)}));
    request.setTimeout(10000, () => request.destroy(new Error('timed out')));
  });
}
const show = (r) => ({status: r.status, length: r.body.length, head: r.body.subarray(0, 40).toString()});
(async () => {
  expect('the page learnt the media server\'s address', base.hostname === '127.0.0.1' && /^\/[0-9a-f]{32}\/$/.test(base.pathname), base.href);
  const asset = fs.readFileSync(path.join(project, 'app/media/asset.bin'));
  const whole = await get('media/asset.bin');
  expect('the app\'s media file is served whole', whole.status === 200 && whole.body.equals(asset), show(whole));
  const part = await get('media/asset.bin', {Range: 'bytes=1000-1999'});
  expect('and by range', part.status === 206 && part.body.equals(asset.subarray(1000, 2000)), show(part));
  const tail = await get('media/asset.bin', {Range: 'bytes=299000-'});
  expect('and its tail', tail.status === 206 && tail.body.equals(asset.subarray(299000)), show(tail));

  const refused = [['etc/hostname', {}, 'a system file by absolute path'],
                   [caseDir.slice(1) + '/beside.bin', {}, 'a file outside the app\'s folders by absolute path'],
                   ['media/asset.bin', {Host: 'media.example:' + base.port}, 'the app\'s file under another host name'],
                   ['media/asset.bin', {Host: 'localhost:' + base.port}, 'the app\'s file under the name localhost']];
  if (process.env.RUN === 'packaged')
    refused.push(['beside.bin', {}, 'a file beside the executable, which is no file of the archive']);
  for (const [rest, headers, what] of refused) {
    const r = await get(rest, headers);
    expect('refuses ' + what + ' with an empty 404', r.status === 404 && r.body.length === 0, show(r));
  }
  if (process.env.RUN === 'folder') {
    const beside = fs.readFileSync(path.join(project, 'extra/beside.bin'));
    const r = await get('extra/beside.bin');
    expect('serves a file of the project folder outside the app folder', r.status === 200 && r.body.equals(beside), show(r));
  }
  process.exit(failures ? 1 : 0);
})();
