"""Follow Thumbnails benchmark: quillmar-harvest --follow on a loopback
gallery of 100 thumbnails a page, each leading to a viewer page whose script
inserts the picture after a moment. Harvests 100 viewer pages (one gallery
page) and 300 (with --pages 2), ROUNDS times each (default 3), and prints for
every run the pages followed per second over the whole run (engine start and
gallery pages included) and the peak memory (PSS) of the tool and all its
engine processes, sampled every 100 ms; then the medians. The following itself
is timed by the server too: from the first viewer page asked for to the last
picture asked for, without the engine start and the gallery pages. The engine's
renderers grow and shrink with garbage collection, so one run's peak is noisy.

Usage: ROUNDS=3 python3 follow-bench.py QUILLMAR_HARVEST [PORT]
"""
import http.server
import os
import socketserver
import statistics
import struct
import subprocess
import sys
import threading
import time
import zlib

THUMBNAILS = 100
# When the server was first asked for a viewer page and last for a picture.
asked = {"first viewer": None, "last picture": None}


def png(width, height):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    rows = b"".join(b"\0" + b"\x80\x40\x20" * width for _ in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


PICTURE = png(64, 48)


def gallery(page):
    first = page * THUMBNAILS
    links = "".join(f'<a href="/view?id={n}"><img src="/thumb/{n}.png" width="80" height="60"></a>\n'
                    for n in range(first, first + THUMBNAILS))
    return (f'<!DOCTYPE html><html><head><link rel="next" href="/gallery/{page + 1}">'
            f'</head><body>{links}</body></html>')


def viewer(number):
    return ('<!DOCTYPE html><html><body><img src="/thumb/logo.png" width="40" height="30">'
            '<script>setTimeout(function () { var p = new Image(); p.width = 800; '
            f'p.height = 600; p.src = "/full/{number}.png"; document.body.appendChild(p); '
            '}, 100);</script></body></html>')


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *arguments):
        pass

    def do_GET(self):
        path = self.path
        if path.startswith("/gallery/"):
            body, kind = gallery(int(path.split("/")[2])).encode(), "text/html"
        elif path.startswith("/view?id="):
            body, kind = viewer(int(path.split("=")[1])).encode(), "text/html"
            asked["first viewer"] = asked["first viewer"] or time.monotonic()
        elif path.endswith(".png"):
            body, kind = PICTURE, "image/png"
            if path.startswith("/full/"):
                asked["last picture"] = time.monotonic()
        else:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def descendants(root):
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    parent = int(stat.read().rsplit(")", 1)[1].split()[1])
                children.setdefault(parent, []).append(int(entry))
            except OSError:
                pass
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo.extend(children.get(pid, []))
    return found


def pss_kib(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as rollup:
            for line in rollup:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def run(tool, port, next_pages):
    command = [tool, "--follow", "--pages", str(next_pages), "--timeout", "60",
               f"http://127.0.0.1:{port}/gallery/0"]
    asked["first viewer"] = asked["last picture"] = None
    started = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               text=True)
    peak = 0
    while process.poll() is None:
        peak = max(peak, sum(pss_kib(pid) for pid in descendants(process.pid)))
        time.sleep(0.1)
    elapsed = time.monotonic() - started
    output = process.stdout.read()
    taken = output.count("/full/")
    pages = THUMBNAILS * (next_pages + 1)
    following = pages / (asked["last picture"] - asked["first viewer"])
    print(f"{pages} pages: {elapsed:.1f} s, {pages / elapsed:.2f} pages/s, following "
          f"{following:.2f} pages/s, {taken} pictures taken, peak memory {peak / 1024:.0f} MiB",
          flush=True)
    return pages / elapsed, peak, following


def main():
    tool = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 18093
    socketserver.ThreadingTCPServer.allow_reuse_address = True
    server = socketserver.ThreadingTCPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        rounds = int(os.environ.get("ROUNDS", "3"))
        small = [run(tool, port, 0) for _ in range(rounds)]
        large = [run(tool, port, 2) for _ in range(rounds)]
        speed = statistics.median(rate for rate, _, _ in small + large)
        following = statistics.median(rate for _, _, rate in small + large)
        small_peak = statistics.median(peak for _, peak, _ in small)
        large_peak = statistics.median(peak for _, peak, _ in large)
        print(f"median: {speed:.2f} pages/s, following {following:.2f} pages/s; peak memory {small_peak / 1024:.0f} MiB for 100 "
              f"pages, {large_peak / 1024:.0f} MiB for 300 "
              f"({100 * (large_peak - small_peak) / small_peak:+.1f}%)")
    finally:
        server.shutdown()


if __name__ == "__main__":
    main()
