// window.zorv: the page's way to the runtime's native functions. Every call posts one message
// {id, uuid, data} to the host and returns a promise that settles with the host's reply for the
// same uuid: resolved with `result` on success, rejected with `result` itself otherwise.
// One listener serves every call: pending calls wait in a map by uuid, so a reply costs the same
// however many calls are in flight.
window.zorv = {
    call: (function () {
        var pending = new Map();
        var listening = false;
        // A page restored from the back/forward cache has lost the replies of the calls it made
        // before it left: the host drops replies for a document that is no longer shown. They
        // are settled now rather than never.
        window.addEventListener('pageshow', function (event) {
            if (!event.persisted) {
                return;
            }
            pending.forEach(function (settle) {
                settle.reject('The page was restored from the back/forward cache before the call was answered');
            });
            pending.clear();
        });
        var onReply = function (event) {
            var reply = event.data;
            if (!reply || typeof reply.uuid !== 'string') {
                return;
            }
            var settle = pending.get(reply.uuid);
            if (!settle) {
                return;
            }
            pending.delete(reply.uuid);
            if (reply.success) {
                settle.resolve(reply.result);
            } else {
                settle.reject(reply.result);
            }
        };
        // A version-4 uuid, one random hex digit at a time: a loop costs a third of a regular
        // expression with a callback per digit, which shows when thousands of calls are made.
        var uuidTemplate = 'xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx';
        var hexDigits = '0123456789abcdef';
        var newUuid = function () {
            var uuid = '';
            for (var i = 0; i < uuidTemplate.length; i++) {
                var c = uuidTemplate.charAt(i);
                if (c === 'x') {
                    uuid += hexDigits.charAt(Math.random() * 16 | 0);
                } else if (c === 'y') {
                    uuid += hexDigits.charAt((Math.random() * 16 | 0) & 0x3 | 0x8);
                } else {
                    uuid += c;
                }
            }
            return uuid;
        };
        return function (funcID, args) {
            var uuid = newUuid();
            return new Promise(function (resolve, reject) {
                if (!listening) {
                    window.chrome.webview.addEventListener('message', onReply);
                    listening = true;
                }
                pending.set(uuid, { resolve: resolve, reject: reject });
                try {
                    window.chrome.webview.postMessage({ id: funcID, uuid: uuid, data: args });
                } catch (error) {
                    // Arguments that cannot be posted reject the call, which then waits for nothing.
                    pending.delete(uuid);
                    throw error;
                }
            });
        };
    })(),
    hello: function () {
        return this.call(10001, {});
    },
    isRuntime: function () {
        return this.call(10002, {});
    },
    dialogs: {
        openFile: function (args) { return window.zorv.call(20001, args); },
        saveFile: function (args) { return window.zorv.call(20002, args); }
    },
    files: {
        fileExists: function (args) { return window.zorv.call(30001, args); },
        deleteFile: function (args) { return window.zorv.call(30002, args); },
        writeTextFile: function (args) { return window.zorv.call(30003, args); },
        extractFile: function (args) { return window.zorv.call(30004, args); }
    },
    folders: {
        dirExists: function (args) { return window.zorv.call(40001, args); },
        deleteDir: function (args) { return window.zorv.call(40002, args); },
        getTempDir: function () { return window.zorv.call(40003, {}); },
        getUserDocumentsDir: function () { return window.zorv.call(40004, {}); },
        getUserDesktopDir: function () { return window.zorv.call(40005, {}); },
        getAppExecutableDir: function () { return window.zorv.call(40006, {}); },
        getAppDataDir: function () { return window.zorv.call(40007, {}); }
    },
    app: {
        close: function () { return window.zorv.call(50001, {}); },
        inFullscreen: function () { return window.zorv.call(50002, {}); },
        enterFullscreen: function () { return window.zorv.call(50003, {}); },
        exitFullscreen: function () { return window.zorv.call(50004, {}); },
        getArgs: function () { return window.zorv.call(50005, {}); }
    },
    window: {
        getStyle: function () { return window.zorv.call(60001, {}); },
        setStyle: function (args) { return window.zorv.call(60002, args); },
        getState: function () { return window.zorv.call(60003, {}); },
        setState: function (args) { return window.zorv.call(60004, args); },
        getTitle: function () { return window.zorv.call(60005, {}); },
        setTitle: function (args) { return window.zorv.call(60006, args); }
    },
    shell: {
        execute: function (args) { return window.zorv.call(70001, args); },
        explore: function (args) { return window.zorv.call(70002, args); },
        command: function (args) { return window.zorv.call(70003, args); },
        windows: function () { return window.zorv.call(70004, {}); }
    },
    themes: {
        getTheme: function () { return window.zorv.call(80001, {}); },
        getThemes: function () { return window.zorv.call(80002, {}); },
        setTheme: function (args) { return window.zorv.call(80003, args); }
    },
    base64: {
        decodeToFile: function (args) { return window.zorv.call(90001, args); }
    },
    system: {
        logoff: function () { return window.zorv.call(11001, {}); },
        reboot: function () { return window.zorv.call(11002, {}); },
        shutdown: function () { return window.zorv.call(11003, {}); },
        getPlatform: function () { return window.zorv.call(11004, {}); }
    },
    mainMenu: {
        setItems: function (args) { return window.zorv.call(12001, args); },
        updateItem: function (args) { return window.zorv.call(12002, args); }
    },
    // Defaults a page may replace: closing is allowed at once, menu clicks are ignored.
    events: {
        onCloseQuery: function () { window.zorv.app.close(); },
        onMainMenuItemClick: function (itemId) { }
    }
};
