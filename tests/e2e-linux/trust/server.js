// The remote site of the trust case, on 127.0.0.1: serves the attacker's page and a download,
// logs every request and what the page reports. Usage: node server.js CASE_DIR
const fs = require('fs');
const http = require('http');
const path = require('path');
const caseDir = process.argv[2];
const append = (file, line) => fs.appendFileSync(path.join(caseDir, file), line + '\n');
const remotePage = fs.readFileSync(path.join(__dirname, 'remote.html'), 'utf8').replace(/CASE_DIR/g, caseDir);
const server = http.createServer((request, response) => {
  append('requests.log', request.method + ' ' + request.url);
  if (request.method === 'POST' && request.url === '/report') {
    let body = '';
    request.on('data', chunk => { body += chunk; });
    request.on('end', () => { append('reports.log', body); response.end('ok'); });
    return;
  }
  if (request.url === '/remote.html') {
    response.writeHead(200, {'Content-Type': 'text/html; charset=utf-8'});
    return response.end(remotePage);
  }
  if (request.url === '/attachment') {
    response.writeHead(200, {'Content-Type': 'application/octet-stream', 'Content-Disposition': 'attachment; filename="remote.bin"'});
    return response.end('remote download');
  }
  response.writeHead(404);
  response.end();
});
server.listen(0, '127.0.0.1', () => fs.writeFileSync(path.join(caseDir, 'port'), String(server.address().port)));
