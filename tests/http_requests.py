#!/usr/bin/env python3
"""Prints the requests of a raw request log (voxlet-card --log), one line
each, with what every HTTP transport must send alike: the request line, the
Content-Type, Content-Length, User-Agent and Accept headers, and the body's
length and CRC-32. Other headers (Host, Connection, Cache-Control, ...) are
left out: transports add their own.
Usage: http_requests.py NAME LOG
"""
import sys
import zlib

KEPT = ("content-type", "content-length", "user-agent", "accept")


def main():
    name, path = sys.argv[1], sys.argv[2]
    try:
        raw = open(path, "rb").read()
    except FileNotFoundError:
        raw = b""
    while raw:
        head, _, rest = raw.partition(b"\r\n\r\n")
        lines = head.decode("latin-1").split("\r\n")
        fields = {}
        for line in lines[1:]:
            key, _, value = line.partition(":")
            if key.strip().lower() in KEPT:
                fields[key.strip().lower()] = f"{key.strip()}: {value.strip()}"
        length = int(fields.get("content-length", "x: 0").split(":")[1])
        body, raw = rest[:length], rest[length:]
        kept = [fields[k] for k in KEPT if k in fields]
        print(f"request {name}: {lines[0]} | " + " | ".join(kept) +
              f" | body {len(body)} {zlib.crc32(body):08x}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
