export const fromModule = 'module-ok';
