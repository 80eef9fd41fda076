// Type declarations of window.zorv, the object through which an application's pages reach the
// runtime's native services. Every function returns a promise: it resolves with the function's
// result and rejects with the bare error text (a string such as "Missing filePath", not an Error).
// Where a member takes text, numbers and Booleans are also accepted and read as their text.

export {};

declare global {
    interface Window {
        zorv: Zorv.Bridge;
    }
    var zorv: Zorv.Bridge;

    namespace Zorv {
        /** Text argument: a number or Boolean is read as its text, null or absent as the default. */
        type Text = string | number | boolean | null;

        /**
         * A promise that never settles: the function sends no reply (app.close, enterFullscreen,
         * exitFullscreen). Do not await it.
         */
        type NoReply = Promise<never>;

        interface OpenFileArgs {
            /** Initial text of the file-name box. */
            fileName?: Text;
            /** Dialog title; "Open file" (or "Save file") when absent, the system's own when "". */
            title?: Text;
            /** File types as "Name|*.ext" entries joined with ";", e.g. "Text|*.txt;All|*.*". */
            fileTypes?: Text;
        }

        interface SaveFileArgs extends OpenFileArgs {
            /** Ask before returning a file that already exists; false by default. */
            overwritePrompt?: boolean | "true" | "false" | number | null;
        }

        interface FilePathArgs {
            /** Absolute, or relative to the executable's folder ("/" separators allowed). */
            filePath: Text;
        }

        interface DirPathArgs {
            /** Absolute, or relative to the executable's folder ("/" separators allowed). */
            dirPath: Text;
        }

        interface WriteTextFileArgs extends FilePathArgs {
            /** Written as UTF-8 with a byte-order mark, every line ended by CR LF. */
            contents?: Text;
        }

        interface DecodeToFileArgs extends FilePathArgs {
            /** Standard Base64 ("A-Z", "a-z", "0-9", "+", "/", "=" padding) without white space. */
            contents?: Text;
        }

        interface ExtractFileArgs {
            /** Path inside the application folder, with a leading "/": "/img/logo.png". */
            sourceFile: Text;
            /** Target file path, used as given. */
            targetFile: Text;
        }

        interface SetStyleArgs {
            /** "ontop" keeps the window above others; anything else makes it normal. */
            style?: "normal" | "ontop" | Text;
        }

        type WindowState = "normal" | "minimized" | "maximized";

        interface SetStateArgs {
            /** A state name; any other value leaves the window as it is. Default "normal". */
            state?: WindowState | Text;
        }

        interface SetTitleArgs {
            title?: Text;
        }

        interface ExecuteArgs {
            /** Program, document or URL to open with the system's default handler. */
            filePath: Text;
            /** Parameters handed to the program. */
            arguments?: Text;
        }

        interface ExploreArgs {
            /** The file or folder to show selected in the file manager. */
            filePath: Text;
        }

        interface CommandArgs {
            /** Command line for the system's command interpreter. */
            command: Text;
            /** Folder the command runs in; the runtime's own current folder when absent. */
            workingDir?: Text;
            /** The command's window is shown only for true (or the text "true"). */
            showWindow?: boolean | Text;
        }

        interface SetThemeArgs {
            /** A name from themes.getThemes(). */
            name: Text;
        }

        /** One item of the native main menu. */
        interface MenuItem {
            /** Shown as it stands: "-" draws a separator on Windows, "&" marks the access key. */
            caption: string | number | boolean;
            /** The integer passed to events.onMainMenuItemClick; decimal, "$FF" or "0x1F" text too. */
            id: number | string;
            /** true unless set; also "true"/"false" in any case, or a number (0 is false). */
            enabled?: boolean | string | number;
            /** An archive entry (with the application folder in front), a path beside the executable, or any path. */
            image?: string;
            /** A submenu; an item with one (even empty) is not clickable. */
            items?: MenuItem[];
        }

        interface SetItemsArgs {
            /** JSON.stringify of the menu's items: the text, not the array. */
            items: string;
        }

        interface UpdateItemArgs {
            /** The id of the item to change (the first one found, depth first). */
            id: number | string;
            /** A new caption; an empty one is ignored. */
            caption?: Text;
            enabled?: boolean | Text;
            image?: Text;
        }

        interface Dialogs {
            /** The chosen file's full path, or "" when the user cancels. */
            openFile(args: OpenFileArgs): Promise<string>;
            /** The chosen file's full path, or "" when the user cancels. */
            saveFile(args: SaveFileArgs): Promise<string>;
        }

        interface Files {
            fileExists(args: FilePathArgs): Promise<boolean>;
            /** false when the file could not be deleted (missing, a folder, in use, no permission). */
            deleteFile(args: FilePathArgs): Promise<boolean>;
            /** Rejects with the system's message when the file cannot be written. */
            writeTextFile(args: WriteTextFileArgs): Promise<true>;
            /** Copies a packaged file out; rejects with "File not found" or the failure's message. */
            extractFile(args: ExtractFileArgs): Promise<true>;
        }

        /** Folder paths end with the path delimiter. */
        interface Folders {
            dirExists(args: DirPathArgs): Promise<boolean>;
            /** Deletes the folder with everything in it, permanently. */
            deleteDir(args: DirPathArgs): Promise<boolean>;
            getTempDir(): Promise<string>;
            getUserDocumentsDir(): Promise<string>;
            getUserDesktopDir(): Promise<string>;
            getAppExecutableDir(): Promise<string>;
            /** The user's roaming application-data folder. */
            getAppDataDir(): Promise<string>;
        }

        interface App {
            /** Closes the main window and ends the application; no reply. */
            close(): NoReply;
            inFullscreen(): Promise<boolean>;
            enterFullscreen(): NoReply;
            exitFullscreen(): NoReply;
            /** The executable's full path, then each command-line argument. */
            getArgs(): Promise<string[]>;
        }

        interface MainWindow {
            getStyle(): Promise<"normal" | "ontop">;
            setStyle(args: SetStyleArgs): Promise<true>;
            getState(): Promise<WindowState>;
            setState(args: SetStateArgs): Promise<true>;
            getTitle(): Promise<string>;
            setTitle(args: SetTitleArgs): Promise<true>;
        }

        interface Shell {
            /** Rejects with the system's message when the shell refuses the request. */
            execute(args: ExecuteArgs): Promise<true>;
            explore(args: ExploreArgs): Promise<true>;
            /** Everything the command wrote to its output and error streams, once it has ended. */
            command(args: CommandArgs): Promise<string>;
            /** Titles of all top-level windows that have one. */
            windows(): Promise<string[]>;
        }

        interface Themes {
            getTheme(): Promise<string>;
            /** The 40 theme names, sorted. */
            getThemes(): Promise<string[]>;
            /** true when the active theme's name now equals `name` exactly. */
            setTheme(args: SetThemeArgs): Promise<boolean>;
        }

        interface Base64 {
            decodeToFile(args: DecodeToFileArgs): Promise<true>;
        }

        interface System {
            /** Ends the session at once, closing other applications without asking. */
            logoff(): Promise<true>;
            /** Restarts the system; rejects with the system's message when it refuses. */
            reboot(): Promise<true>;
            /** Turns the system off; rejects with the system's message when it refuses. */
            shutdown(): Promise<true>;
            /** The system the runtime runs on: shell.command runs "cmd" on "windows", "/bin/sh" on "linux". */
            getPlatform(): Promise<"windows" | "linux">;
        }

        interface MainMenu {
            /** Rejects with "Missing menu items", "Wrong menu items JSON" or "Wrong menu item JSON". */
            setItems(args: SetItemsArgs): Promise<true>;
            /** Rejects with "Missing item ID", "Wrong item ID" or "No menu items". */
            updateItem(args: UpdateItemArgs): Promise<true>;
        }

        /** Notifications from the runtime; replace them to act on them. */
        interface Events {
            /** The user asked to close the window; call zorv.app.close() to let it close. */
            onCloseQuery(): void;
            /** A native menu item was picked. */
            onMainMenuItemClick(itemId: number): void;
        }

        interface Bridge {
            /** The transport: posts {id, uuid, data} and settles with the reply for that uuid. */
            call(funcID: number, args: object | undefined): Promise<unknown>;
            /** The runtime's version, "2022.1". */
            hello(): Promise<string>;
            isRuntime(): Promise<boolean>;
            dialogs: Dialogs;
            files: Files;
            folders: Folders;
            app: App;
            window: MainWindow;
            shell: Shell;
            themes: Themes;
            base64: Base64;
            system: System;
            mainMenu: MainMenu;
            events: Events;
        }
    }
}
