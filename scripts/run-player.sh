#!/usr/bin/env bash
# Installs what the player needs, builds and installs it, and starts it.
# Files given here are handed to the player (a running player receives them).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/scripts/packages.sh" build
prefix="${TAVORA_PREFIX:-$HOME/.local}"
bash "$here/scripts/build.sh" --prefix "$prefix"
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  cat >&2 <<MSG
The player is installed as $prefix/bin/tavoraplayer, but there is no display to show it on
(DISPLAY is not set). Run it inside a desktop session, or under a virtual display:
  xvfb-run -a $prefix/bin/tavoraplayer [-s/path/to/song.mp3]
or start the private test desktop first:
  eval "\$(bash $here/scripts/desktop/start-desktop-env.sh --print-env)"; $prefix/bin/tavoraplayer
MSG
  exit 1
fi
args=()
for f in "$@"; do
  # A plain file given here is opened as the desktop's "open" would do it.
  if [[ $f == -* ]]; then args+=("$f"); else args+=("-s$(realpath -m -- "$f")"); fi
done
exec "$prefix/bin/tavoraplayer" "${args[@]}"
