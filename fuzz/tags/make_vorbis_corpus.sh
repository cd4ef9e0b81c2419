#!/usr/bin/env bash
# Seed corpus of the comment rewriter's fuzz target: a small tagged Ogg Vorbis file, a
# chain of two, one cut inside its audio, one cut inside its headers. Run once; the output
# is committed. Needs ffmpeg and vorbiscomment.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/vorbis-corpus
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tone() { ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=8000:duration=0.3 -ac 1 -map_metadata -1 -c:a libvorbis "$@"; }
tone -serial_offset 1 -f ogg "$work/a.ogg"
tone -serial_offset 2 -f ogg "$work/b.ogg"
LC_ALL=C.UTF-8 vorbiscomment -w -t "TITLE=노래" -t "ARTIST=가수" "$work/a.ogg"
cp "$work/a.ogg" "$out/tagged.ogg"
cat "$work/a.ogg" "$work/b.ogg" > "$out/chain.ogg"
size=$(stat -c %s "$work/a.ogg")
head -c $((size * 3 / 4)) "$work/a.ogg" > "$out/torn-audio.ogg"
head -c 900 "$work/a.ogg" > "$out/torn-headers.ogg"
