// Expectations for apps/settle: every bad call settled in time with the answer it must get, the
// bridge answered the next call, and the files on disk hold exactly what was sent.
const fs = require('fs');
const path = require('path');
const [resultsFile] = process.argv.slice(2);
const R = JSON.parse(fs.readFileSync(resultsFile, 'utf8').replace(/^\uFEFF/, ''));
const appDir = path.dirname(resultsFile);
function expect(what, condition, detail) {
  console.log((condition ? 'ok: ' : 'FAIL: ') + what + (condition ? '' : ' -- got ' + JSON.stringify(detail).slice(0, 300)));
}
const bytes = (name) => { try { return fs.readFileSync(path.join(appDir, name)); } catch (e) { return null; } };
const hex = (buffer) => buffer ? buffer.toString('hex') : null;

const rejections = {
  noArguments: "Value 'data' not found",
  pathObject: "Value 'filePath' must be a string, not an object",
  titleObject: "Value 'title' must be a string, not an object",
  menuArray: "Value 'items' must be a string, not an array",
  overwriteMaybe: "Value 'overwritePrompt' must be a Boolean (true or false)",
  commandObject: "Value 'command' must be a string, not an object",
  deepJson: "The call's JSON nests deeper than 256 levels",
  unknownFunction: "No function has the identifier '10003'",
  nulPath: "Value 'filePath' must not hold a NUL character",
  missingWorkingDir: 'Working folder "/no/such/zorv/folder" does not exist',
  endlessOutput: 'The command wrote more than 64 MiB of output and was ended',
};
for (const [name, text] of Object.entries(rejections)) {
  expect(name + ' rejects with "' + text + '"', R[name] && R[name].ok === false && R[name].value === text, R[name]);
}
for (const name of ['loneSurrogateWrite', 'loneSurrogateTitle', 'nulContents', 'longName', 'bigMenu', 'bigMenuUpdate'])
  expect(name + ' resolves', R[name] && R[name].ok === true, R[name]);
expect('folderPath rejects naming the folder', R.folderPath && R.folderPath.ok === false && /names a folder/.test(R.folderPath.value), R.folderPath);
for (const [name, outcome] of Object.entries(R)) {
  if (outcome && typeof outcome === 'object' && 'next' in outcome)
    expect('after ' + name + ' the next call is answered', outcome.next === '2022.1', outcome.next);
}
expect('a background child does not hold the reply', R.backgroundChild && R.backgroundChild.ok && R.backgroundChild.value === 'started\n', R.backgroundChild);
expect('calls posted beside a running command are answered before it ends, and it after',
  R.quickBesideCommand && R.quickBesideCommand.ok &&
  JSON.stringify(R.quickBesideCommand.value) === JSON.stringify({quick: ['2022.1', true], command: 'slow\n'}),
  R.quickBesideCommand);
expect('a lone surrogate is written as U+FFFD', hex(bytes('surrogate.txt')) === 'efbbbf41efbfbd420d0a', hex(bytes('surrogate.txt')));
expect('NUL characters are written whole', hex(bytes('nul.txt')) === 'efbbbf6265666f7265006166746572' + '0d0a', hex(bytes('nul.txt')));
expect('a path holding a NUL writes nothing', bytes('u4.txt') === null, null);
expect('a folder path leaves no folder behind', !fs.existsSync(path.join(appDir, 'made')), null);
expect('a 250-byte name is written', String(bytes('n'.repeat(250))).includes('long'), null);
console.log('figure: setItems with 3,000 items took ' + R.bigMenuMs + ' ms; updateItem then took ' + R.bigMenuUpdateMs + ' ms');
