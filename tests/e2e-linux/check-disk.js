// Expectations for apps/disk (documents and large): documents on disk are shown but cut off from
// the app; images and data on disk still load; bridge calls keep being answered while large files
// are read. Usage: [LIMIT_MS=ms] node check-disk.js RESULTS CASE_DIR
const fs = require('fs');
const [resultsFile] = process.argv.slice(2);
const R = JSON.parse(fs.readFileSync(resultsFile, 'utf8').replace(/^\uFEFF/, ''));
let failures = 0;
function expect(what, condition, detail) {
  if (condition) console.log('ok: ' + what);
  else { failures++; console.log('FAIL: ' + what + ' -- got ' + JSON.stringify(detail)); }
}
expect('the page ran to its end', !R.failure, R.failure);
if ('frameLoaded' in R) {
  expect('the page on disk loads in a frame', R.frameLoaded === true, R.frameLoaded);
  expect('the framed page on disk is not of the app\'s origin', R.frameReachable === false, R.frameReachable);
  expect('the SVG on disk shows in an <object>', R.objectLoaded === true, R.objectLoaded);
  expect('the SVG on disk is not of the app\'s origin', R.objectReachable === false, R.objectReachable);
  expect('an image beside the executable still loads', R.image === '7x5', R.image);
  expect('data beside the executable is still fetched', R.data && R.data.from === 'beside the executable', R.data);
  expect('data named by its absolute path is still fetched', R.absoluteData === 'by absolute path', R.absoluteData);
  expect('a large file beside the executable is read by a synchronous request', R.syncLength === '200 3000000', R.syncLength);
}
if ('calls' in R) {
  const limit = Number(process.env.LIMIT_MS || 2000);
  expect('bridge calls were made while the files were read', R.calls >= 5, R.calls);
  expect(`every bridge call was answered within ${limit} ms`, R.slowestCallMs < limit, R.slowestCallMs);
  for (const image of R.images || [])
    expect(image.name + ' was being read, not refused', image.state !== 'error', image);
  for (const stream of R.fetches || [])
    expect(stream.name + ' was being read', stream.bytes > 0 && !stream.error, stream);
}
process.exit(failures ? 1 : 0);
