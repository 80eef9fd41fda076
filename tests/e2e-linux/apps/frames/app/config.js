window.APP_SECRET = 'app-secret-value';
