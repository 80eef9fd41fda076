import { double } from './math.mjs';
self.onmessage = (event) => self.postMessage(double(event.data));
