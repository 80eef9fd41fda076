export const word = 'lazy';
