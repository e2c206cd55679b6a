#!/usr/bin/env python3
"""An RFC 3161 timestamp server on the loopback address, for tests of signing
with a timestamp (there is no network to reach a real one).

  local_tsa.py DIR PORT_FILE

DIR holds tsa.crt and tsa.key (a certificate with the critical extended key
usage timeStamping); answers are made by `openssl ts -reply`. The port,
chosen by the system, is written to PORT_FILE once the server listens. It
serves at most 50 requests and stops by itself after 10 minutes.
"""
import http.server
import os
import subprocess
import sys
import tempfile
import time

LIMIT_REQUESTS = 50
LIMIT_SECONDS = 600

CONFIG = """[ tsa ]
default_tsa = test_tsa
[ test_tsa ]
serial = {dir}/serial
signer_cert = {dir}/tsa.crt
signer_key = {dir}/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
digests = sha1, sha256
accuracy = secs:1
ordering = no
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get('Content-Length', 0)))
        with tempfile.TemporaryDirectory() as work:
            with open(os.path.join(work, 'query'), 'wb') as file:
                file.write(query)
            made = subprocess.run(['openssl', 'ts', '-reply', '-config', self.server.config,
                                   '-queryfile', os.path.join(work, 'query'),
                                   '-out', os.path.join(work, 'reply')], capture_output=True)
            if made.returncode != 0:
                self.send_error(400, 'openssl ts -reply failed')
                return
            with open(os.path.join(work, 'reply'), 'rb') as file:
                reply = file.read()
        self.send_response(200)
        self.send_header('Content-Type', 'application/timestamp-reply')
        self.send_header('Content-Length', str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    folder, port_file = (os.path.abspath(path) for path in argv)
    with open(os.path.join(folder, 'serial'), 'w') as file:
        file.write('01\n')
    with open(os.path.join(folder, 'tsa.cnf'), 'w') as file:
        file.write(CONFIG.format(dir=folder))
    server = http.server.HTTPServer(('127.0.0.1', 0), Handler)
    server.config = os.path.join(folder, 'tsa.cnf')
    server.timeout = 5
    server.timed_out = False

    def timed_out():
        server.timed_out = True
    server.handle_timeout = timed_out
    with open(port_file + '.new', 'w') as file:
        file.write('%d\n' % server.server_port)
    os.replace(port_file + '.new', port_file)
    deadline = time.monotonic() + LIMIT_SECONDS
    served = 0
    while served < LIMIT_REQUESTS and time.monotonic() < deadline:
        server.timed_out = False
        server.handle_request()    # one request, or none within the 5 s timeout
        served += not server.timed_out

if __name__ == '__main__':
    main(sys.argv[1:])
