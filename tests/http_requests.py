#!/usr/bin/env python3
"""http_requests.py NAME LOG: prints each request of a raw request log
(voxlet-card --log) as one line with what every HTTP transport must send
alike: the request line, the Content-Type, Content-Length, User-Agent and
Accept headers, and the body's length and CRC-32. Other headers (Host,
Connection, Cache-Control, ...) are left out: transports add their own.
"""
import pathlib
import sys
import zlib

KEPT = ("content-type", "content-length", "user-agent", "accept")
name, log = sys.argv[1], pathlib.Path(sys.argv[2])
raw = log.read_bytes() if log.exists() else b""
while raw:
    head, _, rest = raw.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    fields = {}
    for key, _, value in (line.partition(":") for line in lines[1:]):
        if key.strip().lower() in KEPT:
            fields[key.strip().lower()] = f"{key.strip()}: {value.strip()}"
    length = int(fields.get("content-length", "x: 0").split(":")[1])
    body, raw = rest[:length], rest[length:]
    kept = " | ".join(fields[k] for k in KEPT if k in fields)
    print(f"request {name}: {lines[0]} | {kept} | body {len(body)} {zlib.crc32(body):08x}")
