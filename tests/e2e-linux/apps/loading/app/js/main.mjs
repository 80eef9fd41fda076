import { double } from './math.mjs';
export const moduleResult = double(21);
export async function lazyImport() {
  const lazy = await import('./lazy.js');
  return lazy.word;
}
