#!/usr/bin/env python3
"""Serves a folder on loopback with keep-alive, one thread per connection:
picture-server.py PORT FOLDER."""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"  # keep-alive
    disable_nagle_algorithm = True  # or every answer waits 40 ms for its ACK

    def log_message(self, *args):
        pass


if __name__ == "__main__":
    handler = functools.partial(Handler, directory=sys.argv[2])
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), handler)
    server.daemon_threads = True
    server.serve_forever()
