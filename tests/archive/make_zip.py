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
        # Local headers: size at 22, name length at 26, name at 30; central ones: 24, 28, 46.
        patch_sizes(blob, b"PK\x03\x04", 22, 26, 30, declared)
        patch_sizes(blob, b"PK\x01\x02", 24, 28, 46, declared)
        open(out, "wb").write(bytes(blob))


def patch_sizes(blob, signature, size_at, length_at, name_at, declared):
    pos = blob.find(signature)
    while pos >= 0:
        n = struct.unpack_from("<H", blob, pos + length_at)[0]
        name = bytes(blob[pos + name_at:pos + name_at + n])
        if name in declared:
            struct.pack_into("<I", blob, pos + size_at, declared[name])
        pos = blob.find(signature, pos + 4)

if __name__ == "__main__":
    main()
