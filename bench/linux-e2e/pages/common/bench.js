// Reports one measurement the same way in both hosts: through the bridge (then closes) inside the
// packaged runtime, through the bare program's report handler otherwise.
window.benchReport = async function (text) {
  if (window.zorv) {
    await zorv.files.writeTextFile({filePath: 'report.txt', contents: String(text)});
    zorv.app.close();
  } else {
    window.webkit.messageHandlers.report.postMessage(String(text));
  }
};
