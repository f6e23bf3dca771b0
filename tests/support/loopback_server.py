"""The loopback HTTP server behind testsupport::LoopbackHttpServer.

Reads one command a line on stdin, a JSON array [name, arguments...], and
answers each with one line on stdout, [result]. Byte strings (paths, header
names and values) travel as Latin-1 text; the bodies of routes, given by their
length, follow their command line as they are. Exits when stdin closes, so a
test that crashes leaves no server behind.
"""
import json
import mimetypes
import os
import socketserver
import sys
import threading
import time
import urllib.parse

# The fields of an HttpRoute, in the order the C++ side sends them.
ROUTE_FIELDS = ("status", "contentType", "body", "headers", "chunkSize", "chunkDelayMs",
                "cutAfter", "stall", "hangUp", "ranges", "cookie")
NOT_FOUND = {"status": 404, "body": b"<html><body>Not found</body></html>"}
MEMBERS_ONLY = {"status": 403, "body": b"<html><body>Sign in first</body></html>"}

lock = threading.Lock()
routes = {}  # path: its answers, used in turn; the last one stays
requests = []
folder = None
started = time.monotonic()


def route_for(path):
    without_query = path.split("?", 1)[0]
    with lock:
        for key in (path, without_query):
            answers = routes.get(key)
            if answers:
                return answers.pop(0) if len(answers) > 1 else answers[0]
    relative = urllib.parse.unquote_to_bytes(without_query)
    if folder is None or b".." in relative:
        return NOT_FOUND
    try:
        with open(os.fsencode(folder) + relative, "rb") as file:
            body = file.read()
    except OSError:
        return NOT_FOUND
    kind = mimetypes.guess_type(without_query)[0] or "application/octet-stream"
    return {"contentType": kind, "body": body}


def wanted_start(route, headers, size):
    """Where a Range request a route honours starts; None for a whole answer.
    As a server does, If-Range must name the route's ETag."""
    asked = headers.get("range", "")
    if not route.get("ranges") or not asked.startswith("bytes=") or not asked.endswith("-"):
        return None
    tags = [value.split(":", 1)[1].strip() for value in route.get("headers", [])
            if value.lower().startswith("etag:")]
    if "if-range" in headers and headers["if-range"] not in tags:
        return None
    start = int(asked[6:-1])
    return start if start < size else None


class Handler(socketserver.StreamRequestHandler):
    disable_nagle_algorithm = True

    def handle(self):
        while self.answer():
            pass

    def answer(self):
        """Reads one request and answers it; false when the connection is to close."""
        request_line = self.rfile.readline().decode("latin-1").split()
        headers = {}
        while line := self.rfile.readline().decode("latin-1").strip():
            name, _, value = line.partition(":")
            headers[name.strip().lower()] = value.strip()
        if len(request_line) < 2:
            return False
        self.rfile.read(int(headers.get("content-length") or 0))
        method, path = request_line[:2]
        with lock:  # listed before it is answered: a client with its answer finds it
            requests.append([method, path, int((time.monotonic() - started) * 1000),
                             list(headers.items())])
        route = route_for(path)
        sent = [cookie.strip() for cookie in headers.get("cookie", "").split(";")]
        if route.get("cookie") and route["cookie"] not in sent:
            route = MEMBERS_ONLY
        if route.get("stall"):
            threading.Event().wait()
        if route.get("hangUp"):
            return False
        status, body = route.get("status", 200), route.get("body", b"")
        extra = list(route.get("headers", []))
        start = wanted_start(route, headers, len(body))
        if start is not None:
            status, body = 206, body[start:]
            extra.append(f"Content-Range: bytes {start}-{start + len(body) - 1}/{start + len(body)}")
        cut = route.get("cutAfter", -1)
        close = headers.get("connection", "").lower() == "close" or cut >= 0
        # A route that names chunked framing among its headers announces no length.
        chunked = "transfer-encoding: chunked" in (value.lower() for value in extra)
        head = [f"HTTP/1.1 {status} {'OK' if status < 400 else 'Error'}"]
        if not chunked:
            head.append(f"Content-Length: {len(body)}")
        if route.get("contentType", "text/html"):  # an empty type: no Content-Type at all
            head.append(f"Content-Type: {route.get('contentType', 'text/html')}")
        head += extra
        head.append("Connection: " + ("close" if close else "keep-alive"))
        self.wfile.write(("\r\n".join(head) + "\r\n\r\n").encode("latin-1"))
        if method != "HEAD":
            self.send_body(body[:cut] if cut >= 0 else body, route, chunked)
        return not close

    def send_body(self, body, route, chunked):
        piece = route.get("chunkSize", 0) or max(len(body), 1)  # range needs a step, also for an empty body
        for offset in range(0, len(body), piece):
            if offset:
                time.sleep(route.get("chunkDelayMs", 0) / 1000)
            part = body[offset:offset + piece]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part) if chunked else part)
        if chunked:
            self.wfile.write(b"0\r\n\r\n")


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True  # a fixed port can be taken again at once, as by QTcpServer
    request_queue_size = 64

    def handle_error(self, request, address):
        if not isinstance(sys.exc_info()[1], ConnectionError):  # tests hang up mid-answer
            super().handle_error(request, address)


def run(name, *arguments):
    global folder, started
    if name == "start":
        started = time.monotonic()
        try:
            server = Server(("127.0.0.1", arguments[0]), Handler)
        except OSError as error:
            print("loopback server:", error, file=sys.stderr)
            return 0
        threading.Thread(target=server.serve_forever, daemon=True).start()
        return server.server_address[1]
    with lock:
        if name == "routes":
            answers = [dict(zip(ROUTE_FIELDS, answer)) for answer in arguments[1]]
            for answer in answers:
                answer["body"] = sys.stdin.buffer.read(answer["body"])
            routes[arguments[0]] = answers
        elif name == "folder":
            folder = arguments[0]
        elif name == "requests":
            return list(requests)
        elif name == "clear":
            requests.clear()
    return None


while line := sys.stdin.buffer.readline():
    sys.stdout.write(json.dumps([run(*json.loads(line))]) + "\n")
    sys.stdout.flush()
os._exit(0)
