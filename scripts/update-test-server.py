#!/usr/bin/env python3
"""An update server on loopback for the checks of tolvane.exe's update
window (windows-update-check.sh, windows-update-screenshots.sh).

Serves FOLDER over HTTP/1.0 on 127.0.0.1 at a free port, which it writes
to PORT_FILE once it listens. Files below /files/ are sent with their
Content-Length in pieces of 64 KiB, SECONDS_PER_MIB apart per MiB, so that
a download lasts long enough to be seen and aborted. Every request line is
appended to LOG. It ends by itself after LIFETIME seconds.

Usage: update-test-server.py FOLDER PORT_FILE LOG [SECONDS_PER_MIB] [LIFETIME]
"""
import http.server
import os
import sys
import threading
import time

folder, portFile, logFile = sys.argv[1:4]
secondsPerMib = float(sys.argv[4]) if len(sys.argv) > 4 else 1.0
lifetime = float(sys.argv[5]) if len(sys.argv) > 5 else 120.0
piece = 64 * 1024


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=folder, **kwargs)

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        with open(logFile, "a") as log:
            log.write(self.requestline + "\n")
        if not self.path.startswith("/files/"):
            return super().do_GET()
        path = os.path.join(folder, self.path.lstrip("/"))
        if not os.path.isfile(path):
            self.send_error(404)
            return
        with open(path, "rb") as data:
            body = data.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            for start in range(0, len(body), piece):
                self.wfile.write(body[start:start + piece])
                self.wfile.flush()
                time.sleep(secondsPerMib * piece / (1024 * 1024))
        except (BrokenPipeError, ConnectionResetError):
            pass  # the download was aborted


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
threading.Timer(lifetime, server.shutdown).start()
with open(portFile + ".part", "w") as out:
    out.write(str(server.server_address[1]))
os.replace(portFile + ".part", portFile)
server.serve_forever()
