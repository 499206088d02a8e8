#!/usr/bin/env python3
"""A small HTTP server for the update-check tests.

Usage: update_server.py ROOT LOG

Serves the files below ROOT on a free loopback port, which it prints on the
first line of standard output. Every request head is appended to LOG as it
arrived (request line and headers, CR LF line ends). Paths starting with

  /nolength/NAME  send the file without a Content-Length header,
  /short/NAME     send a Content-Length 100 bytes larger than the file,
  /long/NAME      send a Content-Length 100 bytes smaller than the file,
  /stall/NAME     send the head and the first 2 KiB of the file, then nothing
                  for a minute,
  /silent         accept the request and never answer.

A request in absolute form (as sent to a proxy) is served by its path. A
CONNECT request (a secure address through the proxy) is logged and refused.
"""
import os
import sys
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def log_head(self):
        head = self.requestline + "\r\n"
        head += "".join(f"{name}: {value}\r\n" for name, value in self.headers.items())
        with open(self.server.log, "a", newline="") as log:
            log.write(head + "\r\n")

    def do_CONNECT(self):
        self.log_head()
        self.send_response(403)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def do_GET(self):
        self.log_head()

        path = urllib.parse.urlsplit(self.path).path if "://" in self.path else self.path
        if path == "/silent":
            time.sleep(60)
            return
        mode = ""
        for prefix in ("/nolength/", "/short/", "/long/", "/stall/"):
            if path.startswith(prefix):
                mode, path = prefix, "/" + path[len(prefix):]
        file = os.path.join(self.server.root, path.lstrip("/"))
        if not os.path.isfile(file):
            body = b"<html><body>Not found</body></html>\n"
            self.send_response(404)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        with open(file, "rb") as f:
            body = f.read()
        self.send_response(200)
        if mode != "/nolength/":
            extra = {"/short/": 100, "/long/": -100}.get(mode, 0)
            self.send_header("Content-Length", str(len(body) + extra))
        self.end_headers()
        if mode == "/stall/":
            self.wfile.write(body[:2048])
            self.wfile.flush()
            time.sleep(60)
            return
        self.wfile.write(body)


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.root, server.log = sys.argv[1], sys.argv[2]
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
