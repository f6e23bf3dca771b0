#!/usr/bin/env python3
"""A loopback HTTP server that answers each request after a fixed delay, as a
distant server would: latency-server.py PORT [DELAY_MS]. Every /lat/NAME answers
10 KB; connections are kept alive, one thread each."""
import http.server
import sys
import time

BODY = bytes(range(256)) * 40  # 10 KB


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"  # keep-alive
    disable_nagle_algorithm = True  # or every answer waits 40 ms for its ACK

    def do_GET(self):
        time.sleep(DELAY)
        self.send_response(200)
        self.send_header("Content-Type", "image/jpeg")
        self.send_header("Content-Length", str(len(BODY)))
        self.end_headers()
        self.wfile.write(BODY)

    def log_message(self, *args):
        pass


if __name__ == "__main__":
    DELAY = (int(sys.argv[2]) if len(sys.argv) > 2 else 30) / 1000.0
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Handler)
    server.daemon_threads = True
    server.serve_forever()
