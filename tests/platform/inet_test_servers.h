// Real servers for the internet tests, started on 127.0.0.1 by the tests themselves: a small
// Python HTTP(S) server here, the project's FTP server through support/test_servers.h. Each server picks a free port, announces it on
// its standard output, and ends itself after two minutes even if the test dies; the test kills it
// when done. Scripts and files live in a private folder that is removed afterwards.
#pragma once
#include "support/test_servers.h"
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vxtest {

namespace fs = std::filesystem;

inline const char* kHttpServerScript = R"PY(
import os, ssl, sys, threading, time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

watchdog = threading.Timer(120, lambda: os._exit(0))
watchdog.daemon = True
watchdog.start()

def pattern(n):
    return bytes((i * 7 + 3) & 0xFF for i in range(n))

class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.0'

    def log_message(self, *args):
        pass

    def reply(self, code, body, length=True, extra=()):
        self.send_response(code)
        self.send_header('Content-Type', 'application/octet-stream')
        if length:
            self.send_header('Content-Length', str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        if self.command != 'HEAD':
            self.wfile.write(body)

    # Announces one length and sends fewer bytes before closing.
    def cut_short(self, announced, sent):
        self.send_response(200)
        self.send_header('Content-Length', announced)
        self.end_headers()
        self.wfile.write(pattern(sent))
        self.wfile.flush()
        self.close_connection = True

    def do_GET(self):
        path, _, query = self.path.partition('?')
        if path == '/bytes':
            self.reply(200, pattern(int(query or '0')))
        elif path == '/nolength':
            self.reply(200, pattern(3000), length=False)
        elif path == '/short':
            self.cut_short('10000', 6000)
        elif path == '/announced':
            self.cut_short(query, 10)
        elif path == '/trickle':
            self.send_response(200)
            self.send_header('Content-Length', '1000')
            self.end_headers()
            try:
                for i in range(500):
                    self.wfile.write(pattern(2))
                    self.wfile.flush()
                    time.sleep(1)
            except OSError:
                pass
            self.close_connection = True
        elif path == '/redirect':
            self.reply(302, b'', extra=[('Location', '/bytes?5')])
        elif path == '/flood':
            self.send_response(200)
            for i in range(10000):
                self.send_header('X-Flood-%05d' % i, 'x' * 32)
            self.end_headers()
        elif path.startswith('/echo'):
            self.reply(200, self.path.encode())
        elif path == '/headers':
            text = 'agent=%s;x-test=%s;version=%s' % (self.headers.get('User-Agent'), self.headers.get('X-Test'),
                                                       self.request_version)
            self.reply(200, text.encode())
        else:
            self.reply(404, b'not here')

    do_HEAD = do_GET

    def do_PUT(self):
        body = self.rfile.read(int(self.headers.get('Content-Length') or '0'))
        self.reply(200, self.command.encode() + b':' + body)

    do_POST = do_PUT

server = ThreadingHTTPServer(('127.0.0.1', 0), Handler)
if len(sys.argv) > 2:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[1], sys.argv[2])
    server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
)PY";

}  // namespace vxtest
