// Zorv Notes: a small notepad that shows what window.zorv gives a page: files and dialogs, a
// native menu with images, themes, window control and shell commands.
const $ = (id) => document.getElementById(id);
const editor = $('editor');
let filePath = '';
let dirty = false;

const Menu = {NEW: 101, OPEN: 102, SAVE_AS: 103, EXIT: 109, ABOUT: 301, THEME_BASE: 1000};

function status(text) { $('status').textContent = text; }
function setDirty(value) { dirty = value; $('dirty').hidden = !value; }

function fileTypes() {
  return JSON.stringify([{displayName: 'Text files', mask: '*.txt'}, {displayName: 'All files', mask: '*.*'}]);
}

// Files outside the archive are read through the page's own URL space, which falls back to the
// absolute path on disk.
async function readTextFile(path) {
  const relative = path.replace(/\\/g, '/').replace(/^\/+/, '');
  const response = await fetch(new URL(relative.split('/').map(encodeURIComponent).join('/'), location.origin + '/'));
  if (!response.ok) throw new Error('Cannot read ' + path + ' (' + response.status + ')');
  return response.text();
}

async function openFile() {
  try {
    const path = await zorv.dialogs.openFile({title: 'Open a text file', fileTypes: fileTypes()});
    if (!path) return status('Open cancelled');
    editor.value = await readTextFile(path);
    filePath = path;
    $('file-name').textContent = path;
    setDirty(false);
    status('Opened ' + path);
  } catch (error) { status('Open failed: ' + error); }
}

async function saveFileAs() {
  try {
    const path = await zorv.dialogs.saveFile({title: 'Save the note', fileName: filePath || 'note.txt',
                                              fileTypes: fileTypes(), overwritePrompt: true});
    if (!path) return status('Save cancelled');
    await zorv.files.writeTextFile({filePath: path, contents: editor.value});
    filePath = path;
    $('file-name').textContent = path;
    setDirty(false);
    status('Saved ' + path);
  } catch (error) { status('Save failed: ' + error); }
}

function newFile() {
  editor.value = '';
  filePath = '';
  $('file-name').textContent = 'untitled.txt';
  setDirty(false);
  status('New note');
}

async function showInfo() {
  const rows = {
    Version: await zorv.hello(),
    Runtime: String(await zorv.isRuntime()),
    Executable: await zorv.folders.getAppExecutableDir(),
    'App data': await zorv.folders.getAppDataDir(),
    Documents: await zorv.folders.getUserDocumentsDir(),
    Arguments: (await zorv.app.getArgs()).slice(1).join(' ') || '(none)',
  };
  $('info').innerHTML = '';
  for (const [name, value] of Object.entries(rows)) {
    const dt = document.createElement('dt');
    dt.textContent = name;
    const dd = document.createElement('dd');
    dd.textContent = value;
    $('info').append(dt, dd);
  }
}

async function buildMenu(themes) {
  const themeItems = themes.map((name, index) => ({caption: name.replace(/&/g, '&&'), id: Menu.THEME_BASE + index}));
  await zorv.mainMenu.setItems({items: JSON.stringify([
    {caption: '&File', id: 100, items: [
      {caption: '&New', id: Menu.NEW, image: 'app/icons/new.png'},
      {caption: '&Open...', id: Menu.OPEN, image: 'app/icons/open.png'},
      {caption: 'Save &As...', id: Menu.SAVE_AS, image: 'app/icons/save.png'},
      {caption: '-', id: 0},
      {caption: 'E&xit', id: Menu.EXIT, image: 'app/icons/exit.png'}]},
    {caption: '&Themes', id: 200, items: themeItems.slice(0, 20).concat([
      {caption: 'More', id: 299, image: 'app/icons/theme.png', items: themeItems.slice(20)}])},
    {caption: '&Help', id: 300, items: [{caption: '&About', id: Menu.ABOUT, image: 'app/icons/about.png'}]},
  ])});
}

async function setTheme(name) {
  try {
    await zorv.themes.setTheme({name});
    $('themes').value = name;
    status('Theme: ' + name);
  } catch (error) { status('Theme failed: ' + error); }
}

async function refreshWindowButtons() {
  $('on-top').classList.toggle('active', (await zorv.window.getStyle()) === 'ontop');
  $('full-screen').classList.toggle('active', await zorv.app.inFullscreen());
}

window.zorv.events.onMainMenuItemClick = async (id) => {
  if (id === Menu.NEW) newFile();
  else if (id === Menu.OPEN) openFile();
  else if (id === Menu.SAVE_AS) saveFileAs();
  else if (id === Menu.EXIT) zorv.events.onCloseQuery();
  else if (id === Menu.ABOUT) status('Zorv Notes, running on zorv ' + (await zorv.hello()));
  else if (id >= Menu.THEME_BASE) setTheme((await zorv.themes.getThemes())[id - Menu.THEME_BASE]);
};

// Closing asks first when the note has changes.
window.zorv.events.onCloseQuery = () => {
  if (!dirty || confirm('Discard the changes to this note?')) zorv.app.close();
};

async function start() {
  editor.addEventListener('input', () => setDirty(true));
  for (const button of document.querySelectorAll('[data-state]')) {
    button.addEventListener('click', () => zorv.window.setState({state: button.dataset.state}));
  }
  $('on-top').addEventListener('click', async () => {
    const onTop = (await zorv.window.getStyle()) === 'ontop';
    await zorv.window.setStyle({style: onTop ? 'normal' : 'ontop'});
    refreshWindowButtons();
  });
  $('full-screen').addEventListener('click', async () => {
    if (await zorv.app.inFullscreen()) zorv.app.exitFullscreen(); else zorv.app.enterFullscreen();
    setTimeout(refreshWindowButtons, 200);
  });
  $('title').addEventListener('change', () => zorv.window.setTitle({title: $('title').value}));
  $('themes').addEventListener('change', () => setTheme($('themes').value));
  $('command-form').addEventListener('submit', async (event) => {
    event.preventDefault();
    $('output').textContent = 'Running...';
    try { $('output').textContent = await zorv.shell.command({command: $('command').value}); }
    catch (error) { $('output').textContent = 'Error: ' + error; }
  });

  const themes = await zorv.themes.getThemes();
  for (const name of themes) $('themes').add(new Option(name, name));
  $('themes').value = await zorv.themes.getTheme();
  await Promise.all([showInfo(), buildMenu(themes), refreshWindowButtons()]);
  $('output').textContent = await zorv.shell.command({command: $('command').value});
  status('Ready');
  // Tells scripts/run-example.sh (and anyone curious) that the showcase is up.
  const tempDir = await zorv.folders.getTempDir();
  await zorv.files.writeTextFile({filePath: tempDir + 'org.zorv.showcase.ready', contents: new Date().toISOString()});
}

start().catch((error) => status('Start failed: ' + error));
