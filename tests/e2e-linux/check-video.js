// Expectations for apps/video (the clip case-video.sh makes): 4 s at 320x240, a red square in the
// first frame, a seek to the middle that lands there and shows the green square only the middle
// second has, time that moves when played, and no media error; for the clip as a Blob of the
// whole entry, as a MediaSource fed by Range reads, and by its URL, set from script or written in
// the markup (the runtime points media elements at its loopback media server, since WebKitGTK's
// player has no source for the application's scheme). new Audio(url) reads the clip as well, and
// the media server reads nothing under another key.
// Usage: node check-video.js RESULTS CASE_DIR
const fs = require('fs');
const path = require('path');
const [resultsFile, caseDir] = process.argv.slice(2);
const clipSize = fs.statSync(path.join(caseDir, 'project/app/media/clip.webm')).size;
const R = JSON.parse(fs.readFileSync(resultsFile, 'utf8').replace(/^\uFEFF/, ''));
let failures = 0;
function expect(what, condition, detail) {
  if (condition) console.log('ok: ' + what);
  else { failures++; console.log('FAIL: ' + what + ' -- got ' + JSON.stringify(detail)); }
}
const near = (value, target, tolerance) => typeof value === 'number' && Math.abs(value - target) <= tolerance;
// Each channel within 40 of the expected one: the frame went through VP8 and YUV and back.
const looksLike = (colour, expected) => Array.isArray(colour) && colour.every((c, i) => Math.abs(c - expected[i]) <= 40);
const grey = (colour) => Array.isArray(colour) && Math.max(...colour) - Math.min(...colour) <= 40;

function expectPlayed(name, r) {
  console.log(`${name} events: ${(r.events || []).join(' ')}`);
  expect(`${name}: plays to the end of the test`, r.failure === undefined, r.failure);
  expect(`${name}: no media error`, r.error === null, r.error);
  expect(`${name}: the duration is 4 s`, near(r.duration, 4, 0.05), r.duration);
  expect(`${name}: the size is 320x240`, r.width === 320 && r.height === 240, [r.width, r.height]);
  expect(`${name}: the first frame has the red square`, looksLike(r.firstColour, [255, 0, 0]), r.firstColour);
  expect(`${name}: the seek lands in the middle`, near(r.seekedTime, r.duration / 2, 0.05), r.seekedTime);
  expect(`${name}: the frame shown after the seek is the middle one (green square)`,
         looksLike(r.middleColour, [0, 255, 0]), r.middleColour);
  expect(`${name}: the frame around the square is snow (grey)`, grey(r.edgeColour), r.edgeColour);
  expect(`${name}: playing moves the time on`, typeof r.playedTo === 'number' && r.playedTo > r.playedFrom + 0.1,
         [r.playedFrom, r.playedTo]);
}

expectPlayed('by URL from script', R.url || {});
expectPlayed('by URL in the markup', R.markup || {});
const audio = R.audio || {};
expect('new Audio(url) reads the metadata', near(audio.duration, 4, 0.05) && audio.isAudio === true, audio);
expect('media play from the loopback media server under a key', /^http:\/\/127\.0\.0\.1:\d+\/KEY\/media\/clip\.webm$/.test(R.playedFrom || ''), R.playedFrom);
expect('another key reads nothing', R.otherKey === 'media error 4', R.otherKey);

const blob = R.blob || {};
expect('as a Blob: the whole entry is fetched', blob.fetchStatus === 200, blob.fetchStatus);
expectPlayed('as a Blob', blob);

const ranges = R.ranges || {};
const chunk = 256 * 1024;
const expectedRanges = [];
for (let from = 0; from < clipSize; from += chunk)
  expectedRanges.push(`206 bytes ${from}-${Math.min(from + chunk, clipSize) - 1}/${clipSize}`);
expect('by ranges: every read is answered 206 with its Content-Range',
       JSON.stringify(ranges.ranges) === JSON.stringify(expectedRanges), ranges.ranges);
expect('by ranges: the MediaSource takes every part', ranges.feedFailure === undefined, ranges.feedFailure);
expectPlayed('by ranges', ranges);
process.exit(failures ? 1 : 0);
