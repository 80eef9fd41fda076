// What the trust cases read back: the app page's results, what the remote pages reported and
// requested, and a way to state expectations. Usage from a check script run by check_json.
const fs = require('fs');
// A check script that breaks must show as a failure, not as fewer checks.
process.on('uncaughtException', error => {
  console.log('FAIL: the check script ran to its end -- got ' + JSON.stringify(String(error)));
  process.exit(1);
});
const path = require('path');
const caseDir = process.argv[3];
const read = name => { try { return fs.readFileSync(path.join(caseDir, name), 'utf8'); } catch { return ''; } };
let failures = 0;
function expect(what, condition, detail) {
  if (condition) console.log('ok: ' + what);
  else { failures++; console.log('FAIL: ' + what + ' -- got ' + JSON.stringify(detail)); }
}
let app = {};
try { app = JSON.parse(read('app-results.json').replace(/^\uFEFF/, '')); } catch {}
const reports = {};
for (const line of read('reports.log').split('\n').filter(Boolean)) {
  const {name, value} = JSON.parse(line);
  reports[name] = value;
}
const requests = read('requests.log');
const finish = () => process.exit(failures ? 1 : 0);
module.exports = {read, expect, app, reports, requests, finish};
