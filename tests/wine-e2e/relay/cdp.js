// A small Chrome DevTools Protocol client over the browser's debugging pipe: the browser reads
// NUL-terminated JSON messages on its fd 3 and writes them on its fd 4. Sessions are flat
// (Target.attachToTarget / setAutoAttach with flatten), so every message carries its sessionId.
'use strict';
const { spawn } = require('child_process');

// A message larger than this from the browser is a fault: screenshots and bodies stay well below.
const MaxMessageBytes = 512 * 1024 * 1024;

class Cdp {
    constructor(child) {
        this.child = child;
        this.nextId = 1;
        this.pending = new Map();
        this.listeners = new Map();
        this.closed = false;
        this.onClose = () => {};
        let chunks = [];
        let length = 0;
        const input = child.stdio[4];
        input.on('data', (data) => {
            let start = 0;
            for (let nul = data.indexOf(0); nul !== -1; nul = data.indexOf(0, start)) {
                chunks.push(data.subarray(start, nul));
                const text = Buffer.concat(chunks).toString('utf8');
                chunks = [];
                length = 0;
                start = nul + 1;
                this.dispatch(JSON.parse(text));
            }
            if (start < data.length) {
                chunks.push(data.subarray(start));
                length += data.length - start;
                if (length > MaxMessageBytes) this.fail('a message from the browser exceeds the limit');
            }
        });
        input.on('close', () => this.fail('the browser closed its pipe'));
        child.stdio[3].on('error', () => this.fail('the browser pipe broke'));
    }

    // Starts the browser on a pipe and a profile folder of its own.
    static launch(binary, profile, extraArguments, logStream) {
        const args = ['--no-sandbox', '--remote-debugging-pipe', `--user-data-dir=${profile}`, '--no-first-run',
                      '--no-default-browser-check', '--disable-gpu', '--hide-scrollbars', '--mute-audio',
                      '--window-size=800,600', ...extraArguments, 'about:blank'];
        const child = spawn(binary, args, { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
        if (logStream) child.stdio[2].pipe(logStream);
        else child.stdio[2].resume();
        return new Cdp(child);
    }

    fail(why) {
        if (this.closed) return;
        this.closed = true;
        for (const { reject } of this.pending.values()) reject(new Error(why));
        this.pending.clear();
        this.onClose(why);
    }

    dispatch(message) {
        if (message.id !== undefined) {
            const waiter = this.pending.get(message.id);
            if (!waiter) return;
            this.pending.delete(message.id);
            if (message.error) waiter.reject(Object.assign(new Error(message.error.message), { cdp: message.error }));
            else waiter.resolve(message.result || {});
            return;
        }
        for (const listener of this.listeners.get(message.method) || []) listener(message.params || {}, message.sessionId);
    }

    // send(method, params, sessionId) -> the result; rejects with the browser's error.
    send(method, params = {}, sessionId = undefined) {
        if (this.closed) return Promise.reject(new Error('the browser is gone'));
        const id = this.nextId++;
        const message = { id, method, params };
        if (sessionId) message.sessionId = sessionId;
        return new Promise((resolve, reject) => {
            this.pending.set(id, { resolve, reject });
            this.child.stdio[3].write(JSON.stringify(message) + '\0');
        });
    }

    on(method, listener) {
        if (!this.listeners.has(method)) this.listeners.set(method, []);
        this.listeners.get(method).push(listener);
    }

    // Closes the pipe (the browser then exits by itself), and kills it if it lingers.
    end(graceMs = 2000) {
        this.closed = true;
        try { this.child.stdio[3].end(); } catch (e) { /* already closed */ }
        const child = this.child;
        if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve();
        return new Promise((resolve) => {
            const timer = setTimeout(() => { try { child.kill('SIGKILL'); } catch (e) { /* gone */ } }, graceMs);
            child.once('exit', () => { clearTimeout(timer); resolve(); });
        });
    }
}

module.exports = { Cdp };
