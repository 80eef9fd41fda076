// Evaluates one check over a transcript: node check.js TRANSCRIPT UI_DUMP EXPRESSION.
// The expression sees `t` (the transcript's entries), `ui` (the UI helper's last JSON output, or
// null) and the helpers below; it passes when it returns true, and prints what it saw otherwise.
'use strict';
const fs = require('fs');

const [transcriptPath, uiPath, expression] = process.argv.slice(2);
const t = fs.existsSync(transcriptPath)
    ? fs.readFileSync(transcriptPath, 'utf8').split('\n').filter(Boolean).map((line) => JSON.parse(line))
    : [];
let ui = null;
try {
    ui = JSON.parse(fs.readFileSync(uiPath, 'utf8'));
} catch (e) {
    ui = null;
}

const events = (name) => t.filter((e) => e.event === name);
const replies = () => events('reply').map((e) => e.json);
const replyFor = (uuid) => replies().find((json) => JSON.parse(json).uuid === uuid);
const request = (uri) => events('request').find((e) => e.uri === uri);
const body = (uri) => Buffer.from((request(uri) || {}).body || '', 'base64').toString('latin1');
const scripts = () => events('executeScript').map((e) => e.script);
const file = (path) => fs.readFileSync(path, 'latin1');
const scenarioPath = require('path').join(require('path').dirname(transcriptPath), 'scenario.json');
const scenario = fs.existsSync(scenarioPath) ? JSON.parse(fs.readFileSync(scenarioPath, 'utf8')) : {};
// Every step of the scenario that says what its reply must be: true, or the list of mismatches.
function expectedReplies() {
    const all = replies();
    const mismatches = [];
    for (const step of scenario.steps || []) {
        const uuid = step.uuidForCheck || (step.message && step.message.uuid);
        if (!uuid) continue;
        const got = all.filter((json) => json.includes(`"uuid": ${JSON.stringify(uuid)}`) ||
                                         json.includes(`"uuid": "${uuid}"`));
        const wrong = (why) => mismatches.push({ uuid, why, got });
        if ('expect' in step) {
            if (step.expect === null ? got.length !== 0 : got.length !== 1 || got[0] !== step.expect)
                wrong(`expected ${JSON.stringify(step.expect)}`);
        } else if (step.expectPattern) {
            if (got.length !== 1 || !new RegExp(step.expectPattern).test(got[0])) wrong(`pattern ${step.expectPattern}`);
        } else if (step.expectContains) {
            if (got.length !== 1 || !got[0].includes(step.expectContains)) wrong(`containing ${step.expectContains}`);
        }
    }
    const answered = (scenario.steps || []).filter((s) => s.expectPattern || s.expectContains || (s.expect && s.message));
    if (all.length !== answered.length) mismatches.push({ why: `${all.length} replies for ${answered.length} answered calls` });
    return mismatches.length === 0 ? true : mismatches;
}

// The browser's rules the runtime broke: calls from another thread, message loops run inside an
// event handler (or a process started there, which the shell may hold up with a prompt), calls
// WebView2 refuses (before the web view exists, after it is closed).
function contractHeld() {
    const rules = ['wrongThread', 'nestedMessageLoop', 'processStartedInEvent', 'refused'];
    const broken = t.filter((e) => rules.includes(e.event));
    return broken.length === 0 ? true : broken;
}

let result;
try {
    result = eval(expression);
} catch (error) {
    result = error;
}
if (result !== true) {
    console.log(`expression: ${expression}\nresult: ${result instanceof Error ? result.stack : JSON.stringify(result)}`);
    console.log(t.filter((e) => e.event !== 'documentStartScript').slice(-25).map((e) => JSON.stringify(e)).join('\n'));
    process.exit(1);
}
