postMessage('worker-ok');
