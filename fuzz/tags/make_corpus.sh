#!/usr/bin/env bash
# Makes the seed corpus of the tag fuzz targets: small real files tagged by the usual tools.
# Run once; the output is committed.  Needs ffmpeg, id3v2, mid3v2 and vorbiscomment.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tone() { ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=8000:duration=0.2 -ac 1 -map_metadata -1 -fflags +bitexact "$@"; }

tone -c:a libmp3lame -b:a 8k -id3v2_version 0 "$work/base.mp3"
cp "$work/base.mp3" "$work/id3v2.mp3"
LC_ALL=C.UTF-8 id3v2 -t "노래 제목" -a "가수" -A "앨범" -T 3 -g 17 "$work/id3v2.mp3"
ffmpeg -v error -y -i "$work/base.mp3" -c copy -id3v2_version 3 -metadata title="노래 제목" -metadata artist="가수" "$work/ffmpeg-v23.mp3"
cp "$work/base.mp3" "$work/mid3v2-v24.mp3"
mid3v2 -t "노래 제목" -a "가수" -A "앨범" -T 7/9 -c "kor:설명" "$work/mid3v2-v24.mp3"
cp "$work/base.mp3" "$work/cp949.mp3"
LC_ALL=C id3v2 -t "$(printf '\xb3\xeb\xb7\xa1')" -a "$(printf '\xb0\xa1\xbc\xf6')" "$work/cp949.mp3"
tone -c:a libvorbis -f ogg "$work/vorbis.ogg"
vorbiscomment -w -t "TITLE=노래" -t "ARTIST=가수" "$work/vorbis.ogg"
tone -c:a wmav2 -b:a 32k -metadata title="노래" -metadata artist="가수" -metadata track=4 -f asf "$work/wma.wma"

# The ID3v2 target only needs the tags; the file target gets whole (small) files.
for f in id3v2 ffmpeg-v23 mid3v2-v24 cp949; do
  cp "$work/$f.mp3" "$out/$f.mp3"
done
cp "$work/vorbis.ogg" "$work/wma.wma" "$out/"

# No tool writes these on request: a v2.2 tag, and a v2.4 tag with an unsynchronised frame,
# a frame with several values and a footer.
python3 - "$out" <<'PY'
import os, sys
out = sys.argv[1]
def ss(n): return bytes([(n >> 21) & 0x7f, (n >> 14) & 0x7f, (n >> 7) & 0x7f, n & 0x7f])
def tag(v, flags, body): return b'ID3' + bytes([v, 0, flags]) + ss(len(body)) + body
f22 = b'TT2' + (5).to_bytes(3, 'big') + b'\x01\xff\xfex\x00'
f22 += b'COM' + (9).to_bytes(3, 'big') + b'\x00engd\x00text'
open(os.path.join(out, 'v22.id3'), 'wb').write(tag(2, 0, f22 + b'\x00' * 16))
payload = ss(3) + b'\x00\xff\x00\xe0'
f24 = b'TIT2' + ss(len(payload)) + b'\x00\x03' + payload
f24 += b'TPE1' + ss(8) + b'\x00\x00' + b'\x03A\x00B\x00C\x00'
open(os.path.join(out, 'v24-unsync-footer.id3'), 'wb').write(tag(4, 0x10, f24) + b'3DI\x04\x00\x10' + ss(len(f24)))
PY
ls -l "$out"
