#!/usr/bin/env python3
"""A loopback HTTP server that answers each request after a fixed delay, as a
distant server would: latency-server.py PORT [DELAY_MS]. Every /lat/NAME answers
10 KB; connections are kept alive. One event loop serves every connection, so
the server's own cost stays flat however many connections wait at once (a
thread per connection made 16 at once slower than 4, with no delay at all)."""
import asyncio
import socket
import sys

BODY = bytes(range(256)) * 40  # 10 KB
ANSWER = (
    b"HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: %d\r\n\r\n" % len(BODY)
    + BODY
)
NOT_FOUND = b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"


async def serve(reader, writer, delay):
    # Or every answer waits 40 ms for its ACK.
    writer.get_extra_info("socket").setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    try:
        while True:
            head = await reader.readuntil(b"\r\n\r\n")
            target = head.split(b" ", 2)[1] if head.count(b" ") >= 2 else b""
            await asyncio.sleep(delay)
            writer.write(ANSWER if target.startswith(b"/lat/") else NOT_FOUND)
            await writer.drain()
    except (asyncio.IncompleteReadError, asyncio.LimitOverrunError, ConnectionError):
        pass
    finally:
        writer.close()


async def main(port, delay):
    server = await asyncio.start_server(
        lambda reader, writer: serve(reader, writer, delay), "127.0.0.1", port, backlog=256
    )
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    DELAY = (int(sys.argv[2]) if len(sys.argv) > 2 else 30) / 1000.0
    asyncio.run(main(int(sys.argv[1]), DELAY))
