#!/usr/bin/env python3
"""HTTP server for the tests, on 127.0.0.1 only.

Serves the files of a folder, and three special paths: /slow answers after 30
seconds, /huge streams 100 MB, /ivs answers identity checks (see ivs_answer). Prints
"port N" once it listens, then serves until it is killed.
Usage: http_fixture.py FOLDER
"""
import http.server
import json
import os
import socketserver
import sys
import time

FOLDER = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def send_body(self, status, body, kind="application/octet-stream"):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path == "/slow":
            time.sleep(30)
            return self.send_body(200, b"late")
        if self.path == "/huge":
            self.send_response(200)
            self.send_header("Content-Length", str(100 * 1024 * 1024))
            self.end_headers()
            chunk = bytes(1 << 16)
            try:
                for _ in range(1600):
                    self.wfile.write(chunk)
            except (BrokenPipeError, ConnectionResetError):
                pass
            return None
        path = os.path.join(FOLDER, os.path.basename(self.path))
        if not os.path.isfile(path):
            return self.send_body(404, b"not found")
        with open(path, "rb") as file:
            return self.send_body(200, file.read())

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        request = self.rfile.read(length)
        if self.path != "/ivs":
            return self.send_body(404, b"not found")
        import ivs_answer
        status, body = ivs_answer.answer(FOLDER, request)
        return self.send_body(status, body, "application/json")


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
server = Server(("127.0.0.1", 0), Handler)
print("port", server.server_address[1], flush=True)
server.serve_forever()
