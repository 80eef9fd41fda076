// The remote site of the trust cases, on 127.0.0.1: serves the attacker's pages of this folder
// (remote.html, widget.html) and a download, logs every request and what the pages report.
// Usage: node server.js CASE_DIR
const fs = require('fs');
const http = require('http');
const path = require('path');
const caseDir = process.argv[2];
const append = (file, line) => fs.appendFileSync(path.join(caseDir, file), line + '\n');
const pages = {};
for (const name of fs.readdirSync(__dirname).filter(name => name.endsWith('.html')))
  pages['/' + name] = fs.readFileSync(path.join(__dirname, name), 'utf8').replace(/CASE_DIR/g, caseDir);
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
  if (request.url.split('?')[0] === '/attachment') {
    response.writeHead(200, {'Content-Type': 'application/octet-stream', 'Content-Disposition': 'attachment; filename="remote.bin"'});
    return response.end('remote download');
  }
  response.writeHead(404);
  response.end();
});
server.listen(0, '127.0.0.1', () => fs.writeFileSync(path.join(caseDir, 'port'), String(server.address().port)));
