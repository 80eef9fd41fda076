window.moduleLoaded(import.meta.url.endsWith("/mod.js"));
