// Expectations for apps/bridge: what each bridge call answered, and what it left on disk.
const fs = require('fs');
const path = require('path');
// node check-bridge.js RESULTS CASE_DIR [linux|windows]: the same page runs under both runtimes.
const [resultsFile, caseDir, platformName = 'linux'] = process.argv.slice(2);
const text = fs.readFileSync(resultsFile, 'utf8').replace(/^\uFEFF/, '');
const R = JSON.parse(text);
const appDir = path.dirname(resultsFile);
// Everything the two platforms answer differently, in one place.
const windowsPath = (unixPath) => 'Z:' + unixPath.replace(/\//g, '\\');
const Platforms = {
  linux: {
    location: /^zorv:\/\/app\/index\.html/,
    folderEnd: '/',
    exeDir: appDir + '/',
    exePath: path.join(appDir, 'bridge-app'),
    dataDirIsRight: (dir) => String(dir).startsWith(caseDir + '/data/'),
    dataDirRule: 'under XDG_DATA_HOME',
    commandOutput: 'e2e-42',  // sh expands $((6*7))
    executeRan: () => resolved('execute') && read('executed.txt') !== null,
  },
  windows: {
    location: /^file:\/\/\/index\.html/,  // the default URL space, served from the archive
    folderEnd: '\\',
    exeDir: windowsPath(appDir) + '\\',
    exePath: windowsPath(appDir) + '\\bridge-app.exe',
    dataDirIsRight: (dir) => /\\AppData\\Roaming\\$/.test(String(dir)),
    dataDirRule: 'the user\'s roaming AppData',
    commandOutput: 'e2e-$((6*7))',  // cmd.exe has no arithmetic expansion
    executeRan: () => R.execute && R.execute.value !== '__timeout',  // /bin/sh is no Windows program: it only answers
  },
};
const P = Platforms[platformName];
let failures = 0;
function expect(what, condition, detail) {
  if (condition) console.log('ok: ' + what);
  else { failures++; console.log('FAIL: ' + what + ' -- got ' + JSON.stringify(detail)); }
}
const value = (name) => R[name] && R[name].value;
const resolved = (name) => R[name] && R[name].ok === true;
const rejected = (name) => R[name] && R[name].ok === false && R[name].value !== '__timeout';
const read = (name) => { try { return fs.readFileSync(path.join(appDir, name), 'utf8').replace(/^\uFEFF/, ''); } catch (e) { return null; } };

expect('page is served from the app URL space', P.location.test(R.location), R.location);
expect('the script message handler is out of the page\'s reach', R.handlerHidden === true, R.handlerHidden);
expect('hello answers 2022.1', value('hello') === '2022.1', R.hello);
expect('isRuntime answers true', value('isRuntime') === true, R.isRuntime);
for (const name of ['getTempDir', 'getUserDocumentsDir', 'getUserDesktopDir', 'getAppExecutableDir', 'getAppDataDir'])
  expect(name + ' answers a folder', resolved(name) && String(value(name)).endsWith(P.folderEnd), R[name]);
expect('getAppExecutableDir is the executable\'s folder', value('getAppExecutableDir') === P.exeDir, R.getAppExecutableDir);
expect('getAppDataDir is ' + P.dataDirRule, P.dataDirIsRight(value('getAppDataDir')), R.getAppDataDir);
expect('writeTextFile then fileExists', resolved('writeTextFile') && value('fileExistsAfterWrite') === true, [R.writeTextFile, R.fileExistsAfterWrite]);
expect('deleteFile removes it', value('deleteFile') === true && value('fileExistsAfterDelete') === false, [R.deleteFile, R.fileExistsAfterDelete]);
expect('kept file has its text', String(read('kept.txt')).trim() === 'kept', read('kept.txt'));
expect('fileExists without filePath is refused', rejected('fileExistsMissingPath') && value('fileExistsMissingPath') === 'Missing filePath', R.fileExistsMissingPath);
expect('extractFile copies the archive entry', read('extracted.json') === '{"name":"sample","values":[1,2,3]}', read('extracted.json'));
expect('decodeToFile writes the bytes', read('decoded.bin') === 'zorv-e2e-base64', read('decoded.bin'));
expect('dirExists of a missing folder is false', value('dirExists') === false, R.dirExists);
expect('inFullscreen is false', value('inFullscreen') === false, R.inFullscreen);
expect('getArgs starts with the executable', Array.isArray(value('getArgs')) && value('getArgs')[0] === P.exePath, R.getArgs);
expect('getTitle is the application name', value('getTitle') === 'Zorv E2E Bridge', R.getTitle);
expect('setTitle changes the title', value('getTitleAfterSet') === 'E2E Title \u2713', R.getTitleAfterSet);
expect('window style starts normal, then ontop', value('getStyle') === 'normal' && value('getStyleAfterSet') === 'ontop', [R.getStyle, R.getStyleAfterSet]);
expect('setState maximized is reported back', value('getState') === 'maximized', R.getState);
expect('shell.command gives the output', String(value('command')).trim() === P.commandOutput, R.command);
expect('shell.command without a working folder runs in the current one', String(value('commandNoDir')).trim() === P.commandOutput, R.commandNoDir);
expect('shell.windows lists the main window', Array.isArray(value('windows')) && value('windows').some((t) => t.includes('E2E Title')), R.windows);
expect('shell.execute ran the program', P.executeRan(), [R.execute, read('executed.txt')]);
expect('shell.explore answers', R.explore && R.explore.value !== '__timeout', R.explore);
expect('getThemes lists Windows and 39 styles', Array.isArray(value('getThemes')) && value('getThemes').length === 40, R.getThemes);
expect('getTheme starts at Windows', value('getTheme') === 'Windows', R.getTheme);
expect('setTheme switches the theme', resolved('setTheme') && value('getThemeAfterSet') !== 'Windows', [R.setTheme, R.getThemeAfterSet]);
for (const name of ['logoff', 'reboot', 'shutdown'])
  expect(name + ' answers without ending the session', R[name] && R[name].value !== '__timeout', R[name]);
expect('mainMenu.setItems accepted', value('setItems') === true, R.setItems);
expect('mainMenu.updateItem accepted', value('updateItem') === true, R.updateItem);
expect('openFile cancelled answers', R.openFile && R.openFile.value !== '__timeout', R.openFile);
expect('saveFile cancelled answers', R.saveFile && R.saveFile.value !== '__timeout', R.saveFile);
expect('menu click reaches the page', Array.isArray(R.menuClicks) && R.menuClicks.includes(101), R.menuClicks);
process.exit(failures ? 1 : 0);
