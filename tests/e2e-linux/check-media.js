// Expectations for apps/media: every Range form answered byte for byte, from the archive and from
// the disk, and a damaged entry never served as if it were whole.
// Usage: node check-media.js RESULTS CASE_DIR
const fs = require('fs');
const crypto = require('crypto');
const path = require('path');
const [resultsFile, caseDir] = process.argv.slice(2);
const assetFile = path.join(caseDir, 'project/app/media/asset.bin');
const diskFile = path.join(caseDir, 'disk.bin');
const damagedFile = path.join(caseDir, 'project/app/media/damaged.bin');
const R = JSON.parse(fs.readFileSync(resultsFile, 'utf8').replace(/^\uFEFF/, ''));
let failures = 0;
function expect(what, condition, detail) {
  if (condition) console.log('ok: ' + what);
  else { failures++; console.log('FAIL: ' + what + ' -- got ' + JSON.stringify(detail)); }
}
const sha = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');
// [range, first, last (inclusive) or null for the whole body, status]
const forms = [[null, null, null, 200], ['bytes=0-9', 0, 9, 206], ['bytes=100000-', 100000, -1, 206],
               ['bytes=-1024', -1024, -1, 206], ['bytes=65530-131080', 65530, 131080, 206],
               ['bytes=0-', 0, -1, 206], ['bytes=999999999-', null, null, 416]];
for (const [url, file] of [['media/asset.bin', assetFile], ['disk.bin', diskFile]]) {
  const body = fs.readFileSync(file);
  for (const [range, first, last, status] of forms) {
    const r = R[url + ' ' + (range || 'whole')] || {};
    const what = url + ' ' + (range || 'without Range');
    expect(what + ' answers ' + status, r.status === status, r);
    expect(what + ' says Accept-Ranges: bytes', r.acceptRanges === 'bytes', r.acceptRanges);
    if (status === 416) {
      expect(what + ' names the size', r.contentRange === 'bytes */' + body.length, r.contentRange);
      continue;
    }
    const from = first === null ? 0 : first < 0 ? body.length + first : first;
    const to = last === null || last === -1 ? body.length - 1 : last;
    const part = body.subarray(from, to + 1);
    expect(what + ' has the right bytes', r.length === part.length && r.sha256 === sha(part), r);
    if (status === 206)
      expect(what + ' says its Content-Range', r.contentRange === `bytes ${from}-${to}/${body.length}`, r.contentRange);
  }
}
const damaged = fs.readFileSync(damagedFile);
// The damaged entry is large enough to be streamed: its body ends in an error, never silently.
expect('a damaged streamed entry ends in an error', typeof R.damaged === 'string' && R.damaged.startsWith('error:'), R.damaged);
const head = damaged.subarray(0, 100);
expect('a part before the damage is still served', R.damagedPart && R.damagedPart.status === 206 &&
       R.damagedPart.sha256 === sha(head), R.damagedPart);
process.exit(failures ? 1 : 0);
