postMessage("worker " + (6 * 7));
