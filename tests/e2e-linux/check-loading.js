// Expectations for apps/loading: everything loads from the archive through the app scheme.
const fs = require('fs');
const [resultsFile] = process.argv.slice(2);
const R = JSON.parse(fs.readFileSync(resultsFile, 'utf8').replace(/^\uFEFF/, ''));
let failures = 0;
function expect(what, condition, detail) {
  if (condition) console.log('ok: ' + what);
  else { failures++; console.log('FAIL: ' + what + ' -- got ' + JSON.stringify(detail)); }
}
expect('the start page is a secure context', R.secure === true, R.secure);
expect('ES module imports load', R.module === 42, R.module);
expect('dynamic import loads', R.dynamicImport === 'lazy', R.dynamicImport);
const f = R.fetchJson || {};
expect('fetch of a JSON file answers 200', f.status === 200, f);
expect('fetch sees the Content-Type', /^application\/json/.test(f.type || ''), f.type);
expect('fetch reads the archive entry', f.body && f.body.greeting === 'hello from the archive', f.body);
expect('PNG is typed from /etc/mime.types', /^image\/png/.test(R.pngType || ''), R.pngType);
expect('a missing file answers 404', R.fetchMissing === 404, R.fetchMissing);
expect('an escaped space finds its file', R.fetchSpaced === 200, R.fetchSpaced);
expect('synchronous XHR loads', R.xhrSync === 'hello from the archive', R.xhrSync);
expect('a worker loads and fetches', R.worker && R.worker.echo === 'ping' && R.worker.n === 7, R.worker);
expect('a module worker loads', R.moduleWorker === 10, R.moduleWorker);
expect('the style sheet applies', R.cssApplied === 'rgb(1, 2, 3)', R.cssApplied);
expect('a foreign document gets no answer', R.foreignFrame === 'silent', R.foreignFrame);
expect('a foreign document runs nothing', R.forbiddenWritten === false, R.forbiddenWritten);
expect('the page cannot reach the message handler itself', R.directHandler === 'undefined', R.directHandler);
process.exit(failures ? 1 : 0);
