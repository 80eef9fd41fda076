// Each instance reports itself with a file of its own beside the executable, and closes once the
// test creates close-now. A key pressed in the page opens a new window (new windows take a
// user's gesture); one opened without a gesture is refused.
async function reportAndWait(prefix) {
  const id = crypto.randomUUID();
  document.addEventListener('keydown', () => window.open('page2.html?via=open'));
  await zorv.files.writeTextFile({filePath: prefix + '-' + id + '.txt', contents: location.href});
  for (;;) {
    if (await zorv.files.fileExists({filePath: 'close-now'})) break;
    if (await zorv.files.fileExists({filePath: 'open-window'})) {
      await zorv.files.deleteFile({filePath: 'open-window'});
      window.open('page2.html?via=no-gesture');
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  zorv.app.close();
}
