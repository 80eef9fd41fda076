#!/usr/bin/env node
// The Linux side of the stand-in's engine mode: one stand-in library (inside the Windows program
// under Wine) connects over TCP on 127.0.0.1 and speaks JSON lines; the relay drives one headless
// Chromium through CDP on its debugging pipe and answers as WebView2 would.
//
//   node relay.js --port-file F [--log F] [--binary PATH] [--drive-c DIR] [--scratch DIR] [--shot F]
//
// Lines from the library: {"id":n,"op":...} requests (answered {"re":n,...}) and
// {"op":"answer","eid":n,...} answers to events. Lines to it: {"ev":...} events, those that need
// a decision carry "eid". Each connection (a program, and the second instance a program starts)
// gets a browser of its own, at most two at once; a connection's end (the program's end or crash
// alike) ends its browser, and the last one's end ends the relay. The browser also ends when its
// pipe closes. SIGUSR2 is the user's click: a mouse click in the middle of the first program's page.
'use strict';
const net = require('net');
const http = require('http');
const fs = require('fs');
const path = require('path');
const crypto = require('crypto');
const { Cdp } = require('./cdp');
const shimSource = require('./shim');

const MaxLineBytes = 96 * 1024 * 1024;
// A streamed answer held for the browser beyond this is a fault; a file: answer, which must be
// fulfilled whole, is refused beyond this.
const MaxStreamBufferBytes = 256 * 1024 * 1024;
const MaxWholeBodyBytes = 64 * 1024 * 1024;
const WaitForConnectionMs = 120000;
const MaxPrograms = 2;
const DefaultBinary = '/usr/lib/chromium/chromium-headless-shell';

function options(argv) {
    const result = {};
    for (let i = 0; i < argv.length; i += 2) result[argv[i].replace(/^--/, '')] = argv[i + 1];
    return result;
}
const config = options(process.argv.slice(2));
const log = config.log ? fs.createWriteStream(config.log, { flags: 'a' }) : null;
const say = (text) => { if (log) log.write(`${new Date().toISOString()} ${text}\n`); };

// CDP resource types as WebView2's resource contexts.
const ResourceContexts = {
    Document: 1, Stylesheet: 2, Image: 3, Media: 4, Font: 5, Script: 6, XHR: 7, Fetch: 8, TextTrack: 9,
    EventSource: 10, WebSocket: 11, Manifest: 12, SignedExchange: 13, Ping: 14, CSPViolationReport: 15, Other: 16,
};
// Chromium's network errors as WebView2's web error statuses.
const WebErrorStatuses = {
    'net::ERR_ABORTED': 14, 'net::ERR_NAME_NOT_RESOLVED': 13, 'net::ERR_CONNECTION_REFUSED': 12,
    'net::ERR_ADDRESS_UNREACHABLE': 6, 'net::ERR_CONNECTION_RESET': 10, 'net::ERR_CONNECTION_ABORTED': 9,
    'net::ERR_TIMED_OUT': 7, 'net::ERR_CONNECTION_TIMED_OUT': 7, 'net::ERR_INTERNET_DISCONNECTED': 11,
    'net::ERR_TOO_MANY_REDIRECTS': 15, 'net::ERR_INVALID_RESPONSE': 8, 'net::ERR_EMPTY_RESPONSE': 8,
    'net::ERR_CERT_COMMON_NAME_INVALID': 1, 'net::ERR_CERT_DATE_INVALID': 2, 'net::ERR_CERT_REVOKED': 4,
    'net::ERR_CERT_INVALID': 5, 'net::ERR_CERT_AUTHORITY_INVALID': 5,
};
const PermissionKinds = { microphone: 1, camera: 2, geolocation: 3, notifications: 4, 'clipboard-read': 6 };
const PermissionNames = { microphone: 'audioCapture', camera: 'videoCapture', geolocation: 'geolocation',
                          notifications: 'notifications', 'clipboard-read': 'clipboardReadWrite' };
const DialogKinds = { alert: 0, confirm: 1, prompt: 2, beforeunload: 3 };

// WebView2's filter wildcards: "*" any run of characters, "?" one character.
function wildcard(pattern) {
    const escaped = pattern.replace(/[.+^${}()|[\]\\]/g, '\\$&').replace(/\*/g, '.*').replace(/\?/g, '.');
    return new RegExp(`^${escaped}$`, 's');
}

// The Unix file that a Windows path names: Z: is the root, C: the prefix's drive_c.
function unixPathOf(windowsPath) {
    const match = /^([A-Za-z]):[\\/](.*)$/s.exec(windowsPath || '');
    if (!match) return null;
    const rest = match[2].replace(/\\/g, '/');
    if (match[1].toUpperCase() === 'Z') return '/' + rest;
    if (match[1].toUpperCase() === 'C' && config['drive-c']) return path.join(config['drive-c'], rest);
    return null;
}
function diskFileOfUrl(url) {
    const match = /^file:\/\/\/([^?#]*)/.exec(url);
    if (!match) return null;
    let decoded;
    try { decoded = decodeURIComponent(match[1]); } catch (e) { return null; }
    const file = unixPathOf(decoded);
    try { return file && fs.statSync(file).isFile() ? file : null; } catch (e) { return null; }
}

// "Name: value" lines as CDP's header entries.
function parseHeaders(text) {
    return String(text || '').split(/\r?\n/).filter(Boolean).map((line) => {
        const colon = line.indexOf(':');
        return { name: line.slice(0, colon).trim(), value: line.slice(colon + 1).trim() };
    });
}

class Relay {
    constructor(socket) {
        this.socket = socket;
        this.views = new Map();          // view number -> view state
        this.sessions = new Map();       // sessionId -> view
        this.attached = new Map();       // targetId -> {sessionId, waiting}
        this.attachWaiters = new Map();  // targetId -> resolve
        this.answers = new Map();        // eid -> resolve
        this.nextEvent = 1;
        this.binding = '__h' + crypto.randomBytes(12).toString('hex');
        this.dispatch = '__d' + crypto.randomBytes(12).toString('hex');
        this.secret = crypto.randomBytes(24).toString('hex');
        this.shotTaken = !config.shot || Relay.started > 0;
        Relay.started++;
        this.streams = new Map();        // eid -> a streamed answer's parts on their way
    }

    send(message) { if (!this.socket.destroyed) this.socket.write(JSON.stringify(message) + '\n'); }
    note(view, text) { this.send({ ev: 'note', view, text }); }
    // An event the library decides on: resolves with its answer.
    ask(message) {
        const eid = this.nextEvent++;
        return new Promise((resolve) => {
            this.answers.set(eid, resolve);
            this.send(Object.assign({ eid }, message));
        });
    }

    async handleMessage(message) {
        if (message.op === 'body' || message.op === 'bodyEnd') return this.streamPart(message);
        if (message.op === 'answer') {
            if (message.response && message.response.stream) this.streams.set(message.eid, { parts: [], bytes: 0, sink: null });
            const resolve = this.answers.get(message.eid);
            this.answers.delete(message.eid);
            if (resolve) resolve(message);
            return;
        }
        let reply;
        try {
            reply = await this.request(message);
        } catch (error) {
            reply = { error: String(error.message || error) };
        }
        if (message.id !== undefined) this.send(Object.assign({ re: message.id }, reply || {}));
    }

    async request(m) {
        const view = this.views.get(m.view);
        switch (m.op) {
        case 'hello': return this.start(m);
        case 'create': return this.createView(m.view);
        case 'navigate':  // answered at once, as WebView2's Navigate returns before the load
            this.navigate(view, m.uri).catch((e) => say(`navigate: ${e.message}`));
            return {};
        case 'reload': await this.cdp.send('Page.reload', {}, view.sessionId); return {};
        case 'addScript': {
            const r = await this.cdp.send('Page.addScriptToEvaluateOnNewDocument', { source: m.script }, view.sessionId);
            return { scriptId: r.identifier };
        }
        case 'removeScript':
            await this.cdp.send('Page.removeScriptToEvaluateOnNewDocument', { identifier: m.scriptId }, view.sessionId);
            return {};
        case 'execute': return this.execute(view, m.script);
        case 'post': await this.postToPage(view, m.value); return {};
        case 'filters': view.filters = m.filters.map((f) => ({ re: wildcard(f.uri), context: f.context })); return {};
        case 'visible': return this.setWindow(view, { windowState: m.value ? 'normal' : 'minimized' });
        case 'bounds':
            if (m.width <= 0 || m.height <= 0) return {};
            await this.setWindow(view, { windowState: 'normal' });
            return this.setWindow(view, { width: m.width, height: m.height });
        case 'capture': {
            const r = await this.cdp.send('Page.captureScreenshot', { format: m.format === 1 ? 'jpeg' : 'png' }, view.sessionId);
            return { data: r.data };
        }
        case 'close': return this.closeView(view);
        default: throw new Error(`unknown operation ${m.op}`);
        }
    }

    // Starts the browser on the profile that the program's user data folder names.
    async start(m) {
        const dataFolder = unixPathOf(m.userDataFolder);
        let profile = dataFolder ? path.join(dataFolder, 'EngineProfile') : null;
        if (profile && Relay.profiles.has(profile)) {
            this.profileNote = 'a second program on the same user data folder: WebView2 would share one browser ' +
                               'process and profile between them; here it gets a browser and a fresh profile of its own';
            profile = null;
        }
        if (!profile) profile = fs.mkdtempSync(path.join(config.scratch || '/tmp', 'engine-profile.'));
        fs.mkdirSync(profile, { recursive: true });
        this.profile = profile;
        Relay.profiles.add(profile);
        const binary = config.binary || DefaultBinary;
        this.cdp = Cdp.launch(binary, profile, [], log);
        this.cdp.onClose = (why) => { say(`browser: ${why}`); this.end(); };
        say(`browser started: ${binary} pid ${this.cdp.child.pid} profile ${profile}`);
        if (config['browser-pid-file']) fs.appendFileSync(config['browser-pid-file'], `${this.cdp.child.pid}\n`);
        const version = await this.cdp.send('Browser.getVersion');
        this.listen();
        await this.cdp.send('Target.setDiscoverTargets', { discover: true });
        await this.cdp.send('Target.setAutoAttach', { autoAttach: true, waitForDebuggerOnStart: true, flatten: true });
        this.downloads = path.join(profile, 'Downloads');
        await this.cdp.send('Browser.setDownloadBehavior',
                            { behavior: 'allowAndName', downloadPath: this.downloads, eventsEnabled: true });
        return { product: version.product, revision: version.revision, userAgent: version.userAgent, binary, profile };
    }

    attachedSession(targetId) {
        if (this.attached.has(targetId)) return Promise.resolve(this.attached.get(targetId));
        return new Promise((resolve) => this.attachWaiters.set(targetId, resolve));
    }

    async createView(number) {
        const { targetId } = await this.cdp.send('Target.createTarget', { url: 'about:blank' });
        const { sessionId } = await this.attachedSession(targetId);
        const view = { number, targetId, sessionId, filters: [], frames: new Map(), contexts: new Map(), nav: null,
                       popups: [], navigationsAsked: new Set() };
        this.views.set(number, view);
        this.sessions.set(sessionId, view);
        if (this.profileNote) this.note(number, this.profileNote);
        const send = (method, params) => this.cdp.send(method, params || {}, sessionId);
        await send('Page.enable');
        await send('Runtime.enable');
        await send('Network.enable');
        await send('Page.setLifecycleEventsEnabled', { enabled: true });
        await send('Runtime.addBinding', { name: this.binding });
        await send('Page.addScriptToEvaluateOnNewDocument',
                   { source: shimSource({ binding: this.binding, dispatch: this.dispatch, secret: this.secret }) });
        await send('Fetch.enable', { patterns: [{ urlPattern: '*', requestStage: 'Request' }] });
        await send('Emulation.setGeolocationOverride', { latitude: 48.85, longitude: 2.35, accuracy: 10 });
        await send('Runtime.runIfWaitingForDebugger');
        const { windowId } = await this.cdp.send('Browser.getWindowForTarget', { targetId });
        view.windowId = windowId;
        return { targetId };
    }

    titleChanged(view, title) {
        if (view.title === title) return;
        view.title = title;
        this.send({ ev: 'title', view: view.number, title });
    }

    setWindow(view, bounds) {
        return this.cdp.send('Browser.setWindowBounds', { windowId: view.windowId, bounds }).then(() => ({}));
    }

    async navigate(view, uri) {
        const result = await this.cdp.send('Page.navigate', { url: uri }, view.sessionId);
        // A navigation that never reached the network (a URL the engine refuses) still completes.
        if (result.errorText && !view.navigationsAsked.has(result.loaderId))
            this.send({ ev: 'navigationCompleted', view: view.number, success: false, httpStatus: 0,
                        errorStatus: WebErrorStatuses[result.errorText] || 16, errorText: result.errorText });
        return { errorText: result.errorText || null };
    }

    async execute(view, script) {
        const r = await this.cdp.send('Runtime.evaluate', { expression: script, returnByValue: true, awaitPromise: false,
                                                            userGesture: true }, view.sessionId);
        if (r.exceptionDetails) return { json: 'null', exception: r.exceptionDetails.text };
        const value = r.result;
        if (!value || value.type === 'undefined' || !('value' in value)) return { json: 'null' };
        const json = JSON.stringify(value.value);
        return { json: json === undefined ? 'null' : json };
    }

    postToPage(view, value) {
        const expression = `globalThis[${JSON.stringify(this.dispatch)}]?.(${JSON.stringify(this.secret)}, 'message', ` +
                           `${JSON.stringify(value)})`;
        return this.cdp.send('Runtime.evaluate', { expression }, view.sessionId);
    }

    async closeView(view) {
        this.views.delete(view.number);
        this.sessions.delete(view.sessionId);
        await this.cdp.send('Target.closeTarget', { targetId: view.targetId }).catch(() => {});
        return {};
    }

    listen() {
        const cdp = this.cdp;
        cdp.on('Target.attachedToTarget', (p, parentSession) => this.attachedToTarget(p, parentSession));
        cdp.on('Target.targetInfoChanged', ({ targetInfo }) => {
            for (const view of this.views.values())
                if (view.targetId === targetInfo.targetId) this.titleChanged(view, targetInfo.title);
        });
        const inView = (handler) => (p, sessionId) => {
            const view = this.sessions.get(sessionId);
            if (view) handler(view, p);
        };
        cdp.on('Fetch.requestPaused', inView((view, p) => this.requestPaused(view, p).catch((e) => say(`paused: ${e.stack}`))));
        cdp.on('Network.responseReceived', inView((view, p) => {
            if (view.nav && p.requestId === view.nav.networkId) view.nav.httpStatus = p.response.status;
        }));
        cdp.on('Network.loadingFailed', inView((view, p) => {
            if (!view.nav || p.requestId !== view.nav.networkId || view.nav.done) return;
            view.nav.done = true;
            if (view.nav.cancelled) return;
            const uri = view.nav.uri;
            this.send({ ev: 'sourceChanged', view: view.number, uri, isNewDocument: true });
            this.send({ ev: 'contentLoading', view: view.number, isErrorPage: true });
            this.send({ ev: 'navigationCompleted', view: view.number, success: false, httpStatus: 0,
                        errorStatus: WebErrorStatuses[p.errorText] || 16, errorText: p.errorText });
        }));
        cdp.on('Page.frameNavigated', inView((view, p) => {
            const frame = p.frame;
            view.frames.set(frame.id, frame.url + (frame.urlFragment || ''));
            if (frame.parentId || frame.id !== view.targetId) return;
            if (frame.url.startsWith('chrome-error:')) return;  // reported with the failure
            view.source = frame.url + (frame.urlFragment || '');
            this.send({ ev: 'sourceChanged', view: view.number, uri: view.source, isNewDocument: true });
            this.send({ ev: 'contentLoading', view: view.number, isErrorPage: false });
            this.send({ ev: 'historyChanged', view: view.number });
        }));
        cdp.on('Page.navigatedWithinDocument', inView((view, p) => {
            view.frames.set(p.frameId, p.url);
            if (p.frameId !== view.targetId) return;
            view.source = p.url;
            this.send({ ev: 'sourceChanged', view: view.number, uri: p.url, isNewDocument: false });
            this.send({ ev: 'historyChanged', view: view.number });
        }));
        cdp.on('Page.loadEventFired', inView((view) => {
            const nav = view.nav;
            if (!nav || nav.done) return;
            nav.done = true;
            this.send({ ev: 'navigationCompleted', view: view.number, success: true, httpStatus: nav.httpStatus || 0,
                        errorStatus: 0 });
            if (!this.shotTaken && view.number === 1) this.firstPaintShot(view).catch((e) => say(`shot: ${e}`));
        }));
        cdp.on('Runtime.executionContextCreated', inView((view, p) => {
            const aux = p.context.auxData || {};
            if (aux.isDefault) view.contexts.set(p.context.id, aux.frameId);
        }));
        cdp.on('Runtime.executionContextDestroyed', inView((view, p) => view.contexts.delete(p.executionContextId)));
        cdp.on('Runtime.executionContextsCleared', inView((view) => view.contexts.clear()));
        cdp.on('Runtime.bindingCalled', inView((view, p) => {
            if (p.name === this.binding) this.fromPage(view, p).catch((e) => say(`binding: ${e.stack}`));
        }));
        cdp.on('Page.windowOpen', inView((view, p) => {
            view.popups.push(this.ask({ ev: 'newWindow', view: view.number, uri: p.url, userInitiated: p.userGesture }));
        }));
        cdp.on('Page.javascriptDialogOpening', inView((view, p) => this.dialog(view, p)));
        cdp.on('Browser.downloadWillBegin', (p) => {
            const view = [...this.views.values()].find((v) => v.frames.has(p.frameId));
            this.send({ ev: 'download', view: view ? view.number : 0, uri: p.url, suggestedFileName: p.suggestedFilename });
        });
    }

    async attachedToTarget(p, parentSession) {
        const { sessionId, targetInfo, waitingForDebugger } = p;
        if (parentSession) {  // workers of a page: nothing to set up, let them run
            if (waitingForDebugger) this.cdp.send('Runtime.runIfWaitingForDebugger', {}, sessionId).catch(() => {});
            return;
        }
        const opener = targetInfo.openerId && [...this.views.values()].find((v) => v.targetId === targetInfo.openerId);
        if (targetInfo.type === 'page' && opener) return this.popup(opener, targetInfo, sessionId);
        const entry = { sessionId, waitingForDebugger };
        this.attached.set(targetInfo.targetId, entry);
        const waiter = this.attachWaiters.get(targetInfo.targetId);
        if (waiter) { this.attachWaiters.delete(targetInfo.targetId); waiter(entry); return; }
        if (targetInfo.type !== 'page' && waitingForDebugger)
            this.cdp.send('Runtime.runIfWaitingForDebugger', {}, sessionId).catch(() => {});
    }

    // A window the page opened: it waits (paused) for the host's decision. Refused: it is let go
    // and closed at once (closing it while paused would hang the opener).
    async popup(view, targetInfo, sessionId) {
        const decision = view.popups.shift();
        const asked = Date.now();
        const answer = decision ? await decision : { handled: false };
        this.note(view.number, `a new window waited ${Date.now() - asked} ms for the host's decision; a ` +
                               'same-process opener\'s window.open() is held as long (WebView2 returns at once and ' +
                               'defers only the new window)');
        await this.cdp.send('Runtime.runIfWaitingForDebugger', {}, sessionId).catch(() => {});
        if (answer.handled) {
            await this.cdp.send('Target.closeTarget', { targetId: targetInfo.targetId }).catch(() => {});
            return;
        }
        this.note(view.number, 'a new window the host left to the browser opens as a browser window of its own; ' +
                               'it is not shown to the program and its requests do not reach it');
    }

    async dialog(view, p) {
        const answer = await this.ask({ ev: 'dialog', view: view.number, kind: DialogKinds[p.type] ?? 0,
                                        message: p.message, uri: p.url, defaultText: p.defaultPrompt || '' });
        await this.cdp.send('Page.handleJavaScriptDialog', { accept: !!answer.accept, promptText: answer.text || '' },
                            view.sessionId).catch(() => {});
    }

    frameOfContext(view, contextId) {
        const frameId = view.contexts.get(contextId);
        return { frameId, url: frameId ? view.frames.get(frameId) : undefined };
    }

    async fromPage(view, p) {
        const payload = JSON.parse(p.payload);
        const { frameId, url } = this.frameOfContext(view, p.executionContextId);
        const source = url || view.source || '';
        const top = frameId === view.targetId;
        if (payload.kind === 'message') {
            if (!top) {
                this.send({ ev: 'frameMessage', view: view.number, json: payload.json, source });
                return;
            }
            const value = JSON.parse(payload.json);
            this.send({ ev: 'webMessage', view: view.number, json: payload.json, source,
                        isString: typeof value === 'string', string: typeof value === 'string' ? value : '' });
        } else if (payload.kind === 'permission') {
            await this.permission(view, p.executionContextId, payload, source);
        } else if (payload.kind === 'title' && top) {
            this.titleChanged(view, payload.title || view.source || '');
        } else if (payload.kind === 'close' && top) {
            this.send({ ev: 'closeRequested', view: view.number });
        }
    }

    async permission(view, contextId, payload, source) {
        const answer = await this.ask({ ev: 'permission', view: view.number, uri: source,
                                        kind: PermissionKinds[payload.permission] || 0 });
        let state = answer.state === 1 ? 'allow' : 'deny';
        if (answer.state !== 1 && answer.state !== 2)
            this.note(view.number, `permission ${payload.permission}: default state; WebView2 would prompt the user, ` +
                                   'the engine mode has no prompt and denies');
        if (state === 'allow') {
            let origin;
            try { origin = new URL(source).origin; } catch (e) { origin = 'null'; }
            await this.cdp.send('Browser.setPermission', { permission: { name: PermissionNames[payload.permission] },
                                                           setting: 'granted', origin })
                .catch((e) => {
                    this.note(view.number, `permission ${payload.permission} for ${origin} cannot be granted in the ` +
                                           `engine: ${e.message}`);
                    state = 'deny';
                });
        }
        const expression = `globalThis[${JSON.stringify(this.dispatch)}]?.(${JSON.stringify(this.secret)}, 'decision', ` +
                           `${JSON.stringify(state)}, ${Number(payload.id)})`;
        await this.cdp.send('Runtime.evaluate', { expression, contextId }, view.sessionId).catch(() => {});
    }

    filterMatches(view, url, context) {
        return view.filters.some((f) => f.re.test(url) && (f.context === 0 || f.context === context));
    }

    // Every request the page makes: a top-level document asks NavigationStarting first (a frame's,
    // FrameNavigationStarting); then the request goes to WebResourceRequested when a filter takes it.
    async requestPaused(view, p) {
        const { requestId, request, resourceType, frameId } = p;
        const send = (method, params) => this.cdp.send(method, Object.assign({ requestId }, params), view.sessionId)
            .catch((e) => say(`${method} ${request.url}: ${e.message}`));
        const isDocument = resourceType === 'Document';
        const top = isDocument && frameId === view.targetId;
        if (isDocument) {
            if (top) {
                view.nav = { networkId: p.networkId, uri: request.url, done: false, cancelled: false };
                view.navigationsAsked.add(p.networkId);
            }
            const answer = await this.ask({ ev: top ? 'navigationStarting' : 'frameNavigationStarting', view: view.number,
                                            uri: request.url, isRedirected: !!p.redirectedRequestId,
                                            userInitiated: !!request.hasUserGesture });
            if (answer.cancel) {
                if (top) {
                    view.nav.cancelled = true;
                    this.send({ ev: 'navigationCompleted', view: view.number, success: false, httpStatus: 0,
                                errorStatus: 14, errorText: 'cancelled by the host' });
                }
                return send('Fetch.failRequest', { errorReason: 'Aborted' });
            }
        }
        const context = ResourceContexts[resourceType] || 16;
        if (!this.filterMatches(view, request.url, context)) return this.goOn(view, p, send);
        const answer = await this.ask({ ev: 'resource', view: view.number, uri: request.url, method: request.method,
                                        headers: request.headers, context });
        if (!answer.response) return this.goOn(view, p, send);
        const { status, reason, headers, body } = answer.response;
        if (answer.response.stream) return this.streamAnswer(view, p, answer, send);
        const responseHeaders = parseHeaders(headers);
        if (request.url.startsWith('file:') && !view.fileNoted) {
            view.fileNoted = true;
            this.note(view.number, 'file: answers fulfilled by the host skip Chromium\'s file loader and its CORS ' +
                                   'checks: module scripts, import() and XHR load where real files on disk would be ' +
                                   'refused; fetch() and workers of file: URLs stay refused by the renderer');
        }
        const fulfil = { responseCode: status, responseHeaders, body: body || '' };
        if (reason) fulfil.responsePhrase = reason;
        return send('Fetch.fulfillRequest', fulfil);
    }

    // A body the library sends in parts (a large or streamed entry): an http(s) request goes on to
    // the relay's loopback server, which hands the parts to the browser as they come (the page
    // still sees its own URL); a file: request cannot be sent there and is fulfilled whole.
    async streamAnswer(view, p, answer, send) {
        const stream = this.streams.get(answer.eid);
        const { status, reason, headers } = answer.response;
        stream.head = { status, reason, headers: parseHeaders(headers) };
        if (!/^https?:/.test(p.request.url)) {
            stream.whole = true;
            await new Promise((resolve) => { stream.sink = { done: resolve }; this.streamPart({ eid: answer.eid }, true); });
            if (stream.failed) return send('Fetch.failRequest', { errorReason: 'Failed' });
            return send('Fetch.fulfillRequest', { responseCode: status, responseHeaders: stream.head.headers,
                                                  body: Buffer.concat(stream.parts).toString('base64') });
        }
        const port = await this.loopbackServer();
        let origin;
        try { origin = new URL(view.source || p.request.url).origin; } catch (e) { origin = undefined; }
        if (origin && !this.loopbackGranted) {
            this.loopbackGranted = true;
            for (const name of ['local-network-access', 'loopback-network', 'local-network'])
                await this.cdp.send('Browser.setPermission', { permission: { name }, setting: 'granted', origin }).catch(() => {});
        }
        return send('Fetch.continueRequest', { url: `http://127.0.0.1:${port}/stream/${answer.eid}` });
    }

    streamPart(message, flushOnly = false) {
        const stream = this.streams.get(message.eid);
        if (!stream) return;
        if (!flushOnly) {
            if (message.op === 'body') {
                const data = Buffer.from(message.data || '', 'base64');
                stream.bytes += data.length;
                if (stream.sink && stream.sink.response) stream.sink.response.write(data);
                else stream.parts.push(data);
                const held = stream.sink && stream.sink.response ? 0 : stream.bytes;
                if (held > (stream.whole ? MaxWholeBodyBytes : MaxStreamBufferBytes)) {
                    stream.failed = true;
                    stream.parts = [];
                }
            } else {
                stream.ended = true;
                if (message.failure) stream.failed = true;
            }
        }
        if (stream.ended && stream.sink) {
            this.streams.delete(message.eid);
            if (stream.sink.response) stream.sink.response.end();
            if (stream.sink.done) stream.sink.done();
        }
    }

    loopbackServer() {
        if (this.loopback) return this.loopback;
        this.loopback = new Promise((resolve) => {
            const server = http.createServer((request, response) => {
                const eid = Number((/^\/stream\/(\d+)$/.exec(request.url) || [])[1]);
                const stream = this.streams.get(eid);
                if (!stream || !stream.head || stream.failed) { response.writeHead(502); response.end(); return; }
                const headers = {};
                for (const { name, value } of stream.head.headers) headers[name] = value;
                response.writeHead(stream.head.status, stream.head.reason || undefined, headers);
                for (const part of stream.parts) response.write(part);
                stream.parts = [];
                stream.sink = { response };
                this.streamPart({ eid }, true);
            });
            server.listen(0, '127.0.0.1', () => resolve(server.address().port));
        });
        return this.loopback;
    }

    // A request nobody answered: the browser loads it itself. A file: URL names a Windows path,
    // which the relay reads from the disk that Wine maps (the engine cannot see C: or Z:).
    goOn(view, p, send) {
        const url = p.request.url;
        if (url.startsWith('file:')) {
            const file = diskFileOfUrl(url);
            if (!file) return send('Fetch.failRequest', { errorReason: 'Failed' });
            return send('Fetch.fulfillRequest', { responseCode: 200, responseHeaders: [],
                                                  body: fs.readFileSync(file).toString('base64') });
        }
        return send('Fetch.continueRequest', {});
    }

    async firstPaintShot(view) {
        this.shotTaken = true;
        await this.cdp.send('Runtime.evaluate', {
            expression: 'new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)))', awaitPromise: true,
        }, view.sessionId);
        const shot = await this.cdp.send('Page.captureScreenshot', { format: 'png' }, view.sessionId);
        fs.writeFileSync(config.shot, Buffer.from(shot.data, 'base64'));
        say(`first paint saved to ${config.shot}`);
    }

    // The user's click in the middle of the page of the first view: a gesture as real as the engine has.
    async click() {
        const view = this.views.get(1);
        if (!view) return;
        const { result } = await this.cdp.send('Runtime.evaluate', { expression: '[innerWidth, innerHeight]',
                                                                     returnByValue: true }, view.sessionId);
        const [x, y] = result.value.map((v) => Math.floor(v / 2));
        for (const type of ['mousePressed', 'mouseReleased'])
            await this.cdp.send('Input.dispatchMouseEvent', { type, x, y, button: 'left', clickCount: 1 }, view.sessionId);
        say(`clicked at ${x},${y}`);
    }

    async end() {
        if (this.ending) return;
        this.ending = true;
        say('ending');
        if (this.cdp) await this.cdp.end();
        this.socket.destroy();
        if (this.onEnd) this.onEnd();
    }
}
Relay.started = 0;
Relay.profiles = new Set();

function serve() {
    const relays = new Set();
    let first = null;
    const server = net.createServer((socket) => {
        if (relays.size >= MaxPrograms) {
            socket.end(JSON.stringify({ ev: 'refused', why: `the relay serves at most ${MaxPrograms} programs at once` }) + '\n');
            return;
        }
        clearTimeout(idle);
        socket.setNoDelay(true);
        const relay = new Relay(socket);
        relays.add(relay);
        first = first || relay;
        relay.onEnd = () => {
            relays.delete(relay);
            if (!relays.size) process.exit(0);
        };
        say('connected');
        let buffered = [];
        let length = 0;
        // Lines are handled one after the other, in the order they came.
        let queue = Promise.resolve();
        socket.on('data', (data) => {
            let start = 0;
            for (let nl = data.indexOf(10); nl !== -1; nl = data.indexOf(10, start)) {
                buffered.push(data.subarray(start, nl));
                const line = Buffer.concat(buffered).toString('utf8');
                buffered = [];
                length = 0;
                start = nl + 1;
                if (!line) continue;
                let message;
                try { message = JSON.parse(line); } catch (e) { say('a line that is not JSON'); continue; }
                const isAnswer = ['answer', 'body', 'bodyEnd'].includes(message.op);
                const handle = () => relay.handleMessage(message).catch((e) => say(`line: ${e.stack}`));
                // Answers release paused work at once; requests keep their order.
                if (isAnswer) handle(); else queue = queue.then(handle);
            }
            if (start < data.length) {
                buffered.push(data.subarray(start));
                length += data.length - start;
                if (length > MaxLineBytes) { say('a line exceeds the limit'); relay.end(); }
            }
        });
        socket.on('close', () => { say('a program closed its connection'); relay.end(); });
        socket.on('error', () => {});
    });
    const idle = setTimeout(() => { say('no program connected'); process.exit(3); }, WaitForConnectionMs);
    server.listen(0, '127.0.0.1', () => {
        const { port } = server.address();
        fs.writeFileSync(config['port-file'] + '.tmp', String(port));
        fs.renameSync(config['port-file'] + '.tmp', config['port-file']);
        say(`listening on ${port}`);
    });
    const stop = () => {
        if (!relays.size) process.exit(0);
        for (const relay of relays) relay.end();
    };
    process.on('SIGTERM', stop);
    process.on('SIGINT', stop);
    process.on('SIGUSR2', () => { if (first && !first.ending) first.click().catch((e) => say(`click: ${e.message}`)); });
}

serve();
