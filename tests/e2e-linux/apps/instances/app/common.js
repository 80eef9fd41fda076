// Each instance reports itself with a file of its own beside the executable, and closes once the
// test creates close-now.
async function reportAndWait(prefix) {
  const id = crypto.randomUUID();
  await zorv.files.writeTextFile({filePath: prefix + '-' + id + '.txt', contents: location.href});
  for (;;) {
    if (await zorv.files.fileExists({filePath: 'close-now'})) break;
    if (await zorv.files.fileExists({filePath: 'open-window'})) {
      await zorv.files.deleteFile({filePath: 'open-window'});
      window.open('page2.html?via=open');
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  zorv.app.close();
}
