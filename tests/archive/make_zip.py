#!/usr/bin/env python3
"""Writes a ZIP archive for the archive module tests from a JSON list of entries.

make_zip.py OUT.zip '[{"name": "a.mp3", "data": "x", "repeat": 1, ...}, ...]'
  name     entry name (stored as UTF-8 with the UTF-8 flag when not ASCII)
  hex      the name's raw bytes in hex, stored without the UTF-8 flag (legacy code page)
  data     contents (text), repeated `repeat` times
  link     true: a symbolic link whose target is `data`
  folder   true: a folder entry
  declare  the uncompressed size written into the headers instead of the real one
"""
import json
import struct
import sys
import zipfile


class RawNameInfo(zipfile.ZipInfo):
    raw_name = None

    def _encodeFilenameFlags(self):
        if self.raw_name is not None:
            return self.raw_name, self.flag_bits
        return super()._encodeFilenameFlags()


def main():
    out, spec = sys.argv[1], json.loads(sys.argv[2])
    declared = {}
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for e in spec:
            name = e["name"]
            if e.get("folder") and not name.endswith("/"):
                name += "/"
            info = RawNameInfo(name)
            if "hex" in e:
                info.raw_name = bytes.fromhex(e["hex"])
            info.compress_type = zipfile.ZIP_DEFLATED
            data = (e.get("data", "") * e.get("repeat", 1)).encode()
            if e.get("link"):
                info.external_attr = (0o120777 << 16)
                info.compress_type = zipfile.ZIP_STORED
            elif e.get("folder"):
                info.external_attr = (0o40755 << 16) | 0x10
            else:
                info.external_attr = 0o100644 << 16
            z.writestr(info, data)
            if "declare" in e:
                declared[info.raw_name or name.encode()] = e["declare"]
    if declared:
        blob = bytearray(open(out, "rb").read())
        pos = 0
        while True:
            pos = blob.find(b"PK\x03\x04", pos)
            if pos < 0:
                break
            n = struct.unpack_from("<H", blob, pos + 26)[0]
            name = bytes(blob[pos + 30:pos + 30 + n])
            if name in declared:
                struct.pack_into("<I", blob, pos + 22, declared[name])
            pos += 4
        pos = 0
        while True:
            pos = blob.find(b"PK\x01\x02", pos)
            if pos < 0:
                break
            n = struct.unpack_from("<H", blob, pos + 28)[0]
            name = bytes(blob[pos + 46:pos + 46 + n])
            if name in declared:
                struct.pack_into("<I", blob, pos + 24, declared[name])
            pos += 4
        open(out, "wb").write(bytes(blob))


if __name__ == "__main__":
    main()
