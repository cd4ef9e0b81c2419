#!/usr/bin/python3
"""Lists the ID3v2 tag of an MP3 file as mutagen sees it: the version, then one line per
frame with its key and a digest of its contents, so a test can tell which frames an edit
kept, changed or lost. Usage: id3_frames.py FILE"""
import hashlib
import sys

from mutagen.id3 import ID3, ID3NoHeaderError

try:
    # Untranslated: the text exactly as stored, "(17)Rock" in a v2.3 tag included.
    tag = ID3(sys.argv[1], translate=False)
except ID3NoHeaderError:
    print("none")
    sys.exit(0)
print("version 2.%d" % tag.version[1])
for frame in tag.values():
    print("%s %s" % (frame.HashKey, hashlib.sha1(repr(frame).encode("utf-8")).hexdigest()))
    if frame.FrameID in ("TCON", "TIT2", "TPE1"):
        print("text %s %s encoding=%d" % (frame.FrameID, "|".join(frame.text), int(frame.encoding)))
