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
    })()
};
// The functions of the host's table, each [identifier, path under window.zorv, whether the call
// posts the caller's argument object], in the table's order: the host puts its table in place of
// the placeholder below when it embeds this script. A function that takes no arguments posts a
// new empty object whatever the caller passes.
(function (functions) {
    functions.forEach(function (entry) {
        var id = entry[0];
        var names = entry[1].split('.');
        var owner = window.zorv;
        for (var i = 0; i < names.length - 1; i++) {
            if (!Object.prototype.hasOwnProperty.call(owner, names[i])) {
                owner[names[i]] = {};
            }
            owner = owner[names[i]];
        }
        // Members of window.zorv itself call through this, members of a namespace through window.zorv.
        var topLevel = names.length === 1;
        owner[names[names.length - 1]] = entry[2]
            ? function (args) { return (topLevel ? this : window.zorv).call(id, args); }
            : function () { return (topLevel ? this : window.zorv).call(id, {}); };
    });
})(ZORV_FUNCTION_TABLE);
// Defaults a page may replace: closing is allowed at once, menu clicks are ignored.
window.zorv.events = {
    onCloseQuery: function () { window.zorv.app.close(); },
    onMainMenuItemClick: function (itemId) { }
};
