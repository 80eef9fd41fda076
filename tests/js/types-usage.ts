// Compiled with the declarations in types/zorv.d.ts: what a page writes must type-check, and
// the results must have the declared types.
async function usesEveryNamespace(): Promise<void> {
    const version: string = await window.zorv.hello();
    const runtime: boolean = await zorv.isRuntime();
    const path: string = await zorv.dialogs.saveFile({ title: "Save", fileTypes: "Text|*.txt", overwritePrompt: true });
    const exists: boolean = await zorv.files.fileExists({ filePath: "data/a.txt" });
    await zorv.files.writeTextFile({ filePath: 1, contents: "x" });
    await zorv.files.extractFile({ sourceFile: "/img/a.png", targetFile: "C:\\a.png" });
    const temp: string = await zorv.folders.getTempDir();
    const args: string[] = await zorv.app.getArgs();
    const state: "normal" | "minimized" | "maximized" = await zorv.window.getState();
    await zorv.window.setState({ state: "maximized" });
    const output: string = await zorv.shell.command({ command: "echo hi", showWindow: false });
    const titles: string[] = await zorv.shell.windows();
    const platform: "windows" | "linux" = await zorv.system.getPlatform();
    const themes: string[] = await zorv.themes.getThemes();
    const switched: boolean = await zorv.themes.setTheme({ name: "Carbon" });
    await zorv.base64.decodeToFile({ filePath: "a.bin", contents: "YWJj" });
    const items: Zorv.MenuItem[] = [{ caption: "File", id: 1, items: [{ caption: "Exit", id: "2", enabled: "FALSE" }] }];
    await zorv.mainMenu.setItems({ items: JSON.stringify(items) });
    await zorv.mainMenu.updateItem({ id: 2, caption: "Quit" });
    zorv.events.onMainMenuItemClick = (itemId: number) => { void itemId; };
    zorv.events.onCloseQuery = () => { void zorv.app.close(); };
    try {
        await zorv.files.deleteFile({ filePath: "" });
    } catch (reason) {
        void (reason as string);
    }
    void [version, runtime, path, exists, temp, args, state, output, titles, platform, themes, switched];
}
void usesEveryNamespace;
