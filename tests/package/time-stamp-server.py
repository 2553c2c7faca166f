#!/usr/bin/env python3
"""A throw-away RFC 3161 time-stamp server on 127.0.0.1, answered by
`openssl ts -reply`, for checking that a signed release is counter-signed by
the server it names.
usage: time-stamp-server.py FOLDER   (FOLDER holds tsa.cnf, tsa.pem, tsa.key)
Prints the port it listens on, then serves until it is ended."""
import http.server
import os
import subprocess
import sys
import tempfile

folder = os.path.abspath(sys.argv[1])


class TimeStamps(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with tempfile.TemporaryDirectory() as work:
            with open(os.path.join(work, "query"), "wb") as f:
                f.write(query)
            answered = subprocess.run(
                ["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile", os.path.join(work, "query"),
                 "-signer", "tsa.pem", "-inkey", "tsa.key", "-out", os.path.join(work, "reply")],
                cwd=folder, capture_output=True).returncode == 0
            reply = open(os.path.join(work, "reply"), "rb").read() if answered else b""
        self.send_response(200 if answered else 400)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *arguments):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), TimeStamps)
print(server.server_address[1], flush=True)
server.serve_forever()
