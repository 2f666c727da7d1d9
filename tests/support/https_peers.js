// The peers an HTTPS client meets on a real network, on loopback, for the tests:
//
//   node https_peers.js server NAME CERT KEY HOST [PORT]
//       An HTTPS server for NAME that offers HTTP/2 and HTTP/1.1 (ALPN), as most do, and, as a
//       server behind a name-based front, answers only requests addressed to NAME: 204 to those,
//       421 to the rest. Prints "taken <protocol> <authority> <path> <body bytes>" or
//       "refused <protocol> <authority>" for each request as its body has come.
//       PEER_ANSWER_AFTER_MS: the answer comes that long after the request was taken (a slow
//       server), on the same connection.
//   node https_peers.js proxy HOST [NAME=ADDRESS ...]
//       An HTTP proxy that takes CONNECT only, and resolves names itself: NAME to ADDRESS where
//       given (the tests' hosts have no address of their own). Prints "connect <host:port>" for
//       each tunnel it opens.
//       PEER_PROXY_CREDENTIALS=USER:PASSWORD: a tunnel asked for without them (Basic) is answered
//       407, as a proxy that asks for a password does, and "auth-asked <host:port>" printed.
//
// Each listens on PORT of HOST (a free one where none is given: the proxy always), prints
// "listening <port>" once it does, and ends with its standard input (so that it never outlives
// the test that started it).
'use strict';

const fs = require('fs');
const http = require('http');
const http2 = require('http2');
const net = require('net');

function say(line) {
  process.stdout.write(line + '\n');
}

function hostOf(authority) {
  if (!authority)
    return '';
  if (authority.startsWith('['))
    return authority.slice(1, authority.indexOf(']'));
  const colon = authority.lastIndexOf(':');
  return colon < 0 ? authority : authority.slice(0, colon);
}

function serve(name, certFile, keyFile, answerAfterMs) {
  const server = http2.createSecureServer({
    cert: fs.readFileSync(certFile),
    key: fs.readFileSync(keyFile),
    allowHTTP1: true,
  });
  server.on('request', (request, response) => {
    const protocol = request.httpVersion === '2.0' ? 'h2' : 'http/1.1';
    const authority = request.headers[':authority'] || request.headers.host || '';
    let bytes = 0;
    request.on('data', (chunk) => { bytes += chunk.length; });
    request.on('end', () => {
      if (hostOf(authority) !== name) {
        say(`refused ${protocol} ${authority}`);
        response.writeHead(421);
        response.end();
        return;
      }
      say(`taken ${protocol} ${authority} ${request.url} ${bytes}`);
      setTimeout(() => {
        try {
          response.writeHead(204);
          response.end();
        } catch (error) {
          // The client went before the answer: there is nobody to answer.
        }
      }, answerAfterMs);
    });
  });
  return server;
}

function proxy(names, credentials) {
  const server = http.createServer((request, response) => {
    response.writeHead(405);
    response.end();
  });
  const wanted = credentials ? 'Basic ' + Buffer.from(credentials).toString('base64') : '';
  server.on('connect', (request, client, head) => {
    if (wanted && request.headers['proxy-authorization'] !== wanted) {
      say(`auth-asked ${request.url}`);
      client.on('error', () => {});
      // The connection ends after the challenge, and the answer says so: the client answers
      // it on a new one.
      client.end('HTTP/1.1 407 Proxy Authentication Required\r\n'
                 + 'Proxy-Authenticate: Basic realm="peers"\r\nConnection: close\r\nContent-Length: 0\r\n\r\n');
      return;
    }
    say(`connect ${request.url}`);
    const colon = request.url.lastIndexOf(':');
    const target = request.url.slice(0, colon);
    const port = Number(request.url.slice(colon + 1));
    const upstream = net.connect(port, names.get(target) || target, () => {
      client.write('HTTP/1.1 200 Connection established\r\n\r\n');
      if (head.length)
        upstream.write(head);
      upstream.pipe(client);
      client.pipe(upstream);
    });
    upstream.on('error', () => client.end('HTTP/1.1 502 Bad Gateway\r\n\r\n'));
    client.on('error', () => upstream.destroy());
  });
  return server;
}

const [role, ...args] = process.argv.slice(2);
let server;
let host;
let port = 0;
if (role === 'server') {
  const [name, cert, key, address, wanted] = args;
  server = serve(name, cert, key, Number(process.env.PEER_ANSWER_AFTER_MS || 0));
  host = address;
  port = Number(wanted || 0);
} else if (role === 'proxy') {
  host = args[0];
  server = proxy(new Map(args.slice(1).map((pair) => pair.split('='))), process.env.PEER_PROXY_CREDENTIALS);
} else {
  process.stderr.write('usage: https_peers.js server NAME CERT KEY HOST [PORT] | proxy HOST [NAME=ADDRESS ...]\n');
  process.exit(2);
}
server.on('error', (error) => {
  process.stderr.write(`https_peers: ${error.message}\n`);
  process.exit(1);
});
server.listen(port, host, () => say(`listening ${server.address().port}`));
process.stdin.on('end', () => process.exit(0));
process.stdin.resume();
