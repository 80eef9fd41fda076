// The remote sites of the frames case, on 127.0.0.1: a widget the app page embeds, pages it opens
// and navigates to, an attachment. Logs every request and what the pages report.
// Usage: node server.js CASE_DIR
const fs = require('fs');
const http = require('http');
const path = require('path');
const caseDir = process.argv[2];
const append = (file, line) => fs.appendFileSync(path.join(caseDir, file), line + '\n');
const pages = {
  '/widget.html': fs.readFileSync(path.join(__dirname, 'widget.html'), 'utf8'),
};
const server = http.createServer((request, response) => {
  append('requests.log', request.method + ' ' + request.url);
  if (request.method === 'POST' && request.url === '/report') {
    let body = '';
    request.on('data', chunk => { body += chunk; });
    request.on('end', () => { append('reports.log', body); response.end('ok'); });
    return;
  }
  const page = pages[request.url.split('?')[0]];
  if (page) {
    response.writeHead(200, {'Content-Type': 'text/html; charset=utf-8'});
    return response.end(page);
  }
  if (request.url.startsWith('/attachment')) {
    response.writeHead(200, {'Content-Type': 'application/octet-stream', 'Content-Disposition': 'attachment; filename="widget.bin"'});
    return response.end('widget download');
  }
  response.writeHead(200, {'Content-Type': 'text/html; charset=utf-8'});
  response.end('<!doctype html><title>remote ' + request.url + '</title>remote');
});
server.listen(0, '127.0.0.1', () => fs.writeFileSync(path.join(caseDir, 'port'), String(server.address().port)));
