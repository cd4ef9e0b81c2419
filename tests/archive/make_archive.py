#!/usr/bin/env python3
"""Writes a RAR (version 2.9 headers) or ALZ archive of stored entries, for tests that
need archives of songs and no RAR or ALZ creator exists on the machine.

make_archive.py OUT.rar|OUT.alz '[{"name": "a/b.mp3", "file": "/path/b.mp3"}, ...]' [VOLUMES] [--solid] [--rar5]
  name       entry name (UTF-8)
  file       contents: this file's bytes
  data       contents: this text (instead of file)
  repeat     the contents this many times over
  folder     true: a folder entry
  encrypted  true: the entry is marked as encrypted (RAR 2.9; its data stays plain)
The format is chosen by OUT's extension (any case). VOLUMES (ALZ only) cuts the archive
into that many volumes of about equal size: OUT.alz, OUT.a00, OUT.a01 ...
--solid marks a RAR archive as solid (RAR 2.9: its entries after the first too); their
data is still stored, as no RAR compressor exists here. --rar5 writes RAR5 instead.
"""
import json
import struct
import sys
import zlib

DOS_TIME = ((2024 - 1980) << 25) | (6 << 21) | (1 << 16) | (12 << 11)


def contents(entry):
    if entry.get("folder"):
        return b""
    if "file" in entry:
        with open(entry["file"], "rb") as f:
            return f.read() * entry.get("repeat", 1)
    return entry.get("data", "").encode() * entry.get("repeat", 1)


def rar_block(head_type, flags, body):
    header = struct.pack("<BHH", head_type, flags, 7 + len(body)) + body
    return struct.pack("<H", zlib.crc32(header) & 0xFFFF) + header


def write_rar(out, entries, solid=False):
    blob = bytearray(b"Rar!\x1a\x07\x00")
    blob += rar_block(0x73, 0x0008 if solid else 0, b"\x00" * 6)
    for i, e in enumerate(entries):
        name = e["name"].replace("/", "\\").encode()
        data = contents(e)
        flags = 0x8000 | (0x00E0 if e.get("folder") else 0)
        flags |= 0x0010 if solid and i > 0 else 0
        flags |= 0x0004 if e.get("encrypted") else 0
        attributes = 0x10 if e.get("folder") else 0x20
        body = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data), DOS_TIME, 20, 0x30,
                           len(name), attributes) + name
        blob += rar_block(0x74, flags, body) + data
    blob += rar_block(0x7B, 0x4000, b"")
    with open(out, "wb") as f:
        f.write(blob)


def vint(n):
    out = bytearray()
    while True:
        byte = n & 0x7F
        n >>= 7
        out.append(byte | (0x80 if n else 0))
        if not n:
            return bytes(out)


def rar5_block(body):
    size = vint(len(body))
    return struct.pack("<I", zlib.crc32(size + body)) + size + body


def write_rar5(out, entries, solid=False):
    blob = bytearray(b"Rar!\x1a\x07\x01\x00")
    blob += rar5_block(vint(1) + vint(0) + vint(0x0004 if solid else 0))
    for e in entries:
        name = e["name"].encode()
        data = contents(e)
        folder = bool(e.get("folder"))
        # Stored (method 0), version 0. Only the archive is marked solid: libarchive
        # refuses stored entries that continue a solid stream.
        compression = 0
        fields = (vint(0x0001 if folder else 0x0004) + vint(len(data)) + vint(0o40755 if folder else 0o100644) +
                  (b"" if folder else struct.pack("<I", zlib.crc32(data))) + vint(compression) + vint(1) +
                  vint(len(name)) + name)
        blob += rar5_block(vint(2) + vint(0x0002) + vint(len(data)) + fields) + data
    blob += rar5_block(vint(5) + vint(0) + vint(0))
    with open(out, "wb") as f:
        f.write(blob)


def write_alz(out, entries, volumes=1):
    blob = bytearray(b"ALZ\x01\x0a\x00\x00\x00")
    for e in entries:
        name = e["name"].encode()
        data = contents(e)
        folder = e.get("folder")
        blob += b"BLZ\x01" + struct.pack("<HBI", len(name), 0x10 if folder else 0x20, 0x58B16DAF)
        if folder:
            blob += bytes([0, 0])
        else:
            blob += bytes([8 << 4, 0]) + struct.pack("<BBIQQ", 0, 0, zlib.crc32(data), len(data), len(data))
        blob += name + data
    blob += b"CLZ\x01" + b"\x00" * 8 + b"CLZ\x02"
    if volumes <= 1:
        with open(out, "wb") as f:
            f.write(blob)
        return
    # Every volume but the last ends with a continuation record; the later ones start
    # with a header carrying their number.
    tail = b"CLZ\x01" + b"\x00" * 8 + b"CLZ\x03"
    size = -(-len(blob) // volumes)
    stem = out[:-4]
    for index in range(volumes):
        part = blob[index * size:(index + 1) * size]
        if index > 0:
            part = b"ALZ\x01\x0a\x00" + bytes([index & 0xFF, index >> 8]) + part
        if index < volumes - 1:
            part += tail
        name = out if index == 0 else "%s.%c%02d" % (stem, chr(ord("a") + (index - 1) // 100), (index - 1) % 100)
        with open(name, "wb") as f:
            f.write(part)


def main():
    flags = [a for a in sys.argv[3:] if a.startswith("--")]
    rest = [a for a in sys.argv[3:] if not a.startswith("--")]
    out, spec = sys.argv[1], json.loads(sys.argv[2])
    solid = "--solid" in flags
    if out.lower().endswith(".rar"):
        (write_rar5 if "--rar5" in flags else write_rar)(out, spec, solid)
    elif out.lower().endswith(".alz"):
        write_alz(out, spec, int(rest[0]) if rest else 1)
    else:
        sys.exit("make_archive.py: OUT must end in .rar or .alz")


if __name__ == "__main__":
    main()
