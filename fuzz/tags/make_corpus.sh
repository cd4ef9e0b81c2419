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
ls -l "$out"
