#!/usr/bin/python3
"""Gives an MP3 file an ID3v2.4 tag the way a current tagger does: text in UTF-8, a cover
picture, unsynchronised lyrics, replay gain and other TXXX frames, a described comment
next to the plain one. Usage: id3_v24_rich.py FILE"""
import sys

from mutagen.id3 import APIC, COMM, ID3, TCON, TIT2, TPE1, TXXX, USLT, POPM, Encoding

tag = ID3()
tag.add(TIT2(encoding=Encoding.UTF8, text=["옛 제목"]))
tag.add(TPE1(encoding=Encoding.UTF8, text=["옛 가수"]))
tag.add(TCON(encoding=Encoding.UTF8, text=["Ballad"]))
tag.add(APIC(encoding=Encoding.UTF8, mime="image/png", type=3, desc="표지", data=b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 40))
tag.add(USLT(encoding=Encoding.UTF8, lang="kor", desc="", text="첫 줄\n둘째 줄"))
tag.add(TXXX(encoding=Encoding.UTF8, desc="REPLAYGAIN_TRACK_GAIN", text=["-6.20 dB"]))
tag.add(TXXX(encoding=Encoding.UTF8, desc="REPLAYGAIN_TRACK_PEAK", text=["0.988"]))
tag.add(TXXX(encoding=Encoding.UTF8, desc="MusicBrainz Album Id", text=["abc-123"]))
tag.add(COMM(encoding=Encoding.UTF8, lang="eng", desc="iTunNORM", text=[" 0000044E 00000000"]))
tag.add(COMM(encoding=Encoding.UTF8, lang="kor", desc="", text=["옛 설명"]))
tag.add(POPM(email="someone@example.org", rating=196, count=3))
tag.save(sys.argv[1], v2_version=4)
