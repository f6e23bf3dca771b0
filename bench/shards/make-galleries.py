#!/usr/bin/env python3
"""Writes 60 gallery pages of 5 pictures each into FOLDER and prints their
addresses under BASE, one a line. Each picture is a 160x120 PNG of noise, so
no two are alike and none compresses to nothing."""
import os
import random
import struct
import sys
import zlib

PAGES, PICTURES, WIDTH, HEIGHT = 60, 5, 160, 120


def png(seed):
    rows = random.Random(seed)
    raw = b"".join(b"\0" + rows.randbytes(WIDTH * 3) for _ in range(HEIGHT))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def main(folder, base):
    os.makedirs(os.path.join(folder, "p"), exist_ok=True)
    for page in range(PAGES):
        names = [f"p/g{page:02}-{n}.png" for n in range(PICTURES)]
        for number, name in enumerate(names):
            path = os.path.join(folder, name)
            if not os.path.exists(path):
                with open(path, "wb") as picture:
                    picture.write(png(page * PICTURES + number))
        with open(os.path.join(folder, f"g{page:02}.html"), "w") as html:
            html.write("<html><body>" + "".join(
                f"<img src='{name}' width='160' height='120'>" for name in names) +
                       "</body></html>\n")
        print(f"{base}/g{page:02}.html")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
