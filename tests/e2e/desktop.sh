#!/usr/bin/env bash
# Starts or stops the private desktop (Xvfb, window manager, D-Bus, PulseAudio, tray)
# that the end-to-end tests share.   desktop.sh start|stop STATE_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export DESKTOP_ENV_DIR=$2
case "$1" in
  start)
    bash "$here/scripts/desktop/start-desktop-env.sh"
    # No key auto-repeat: on a busy machine the gap between a synthetic key's press and
    # release can outlast the repeat delay, and one press would count twice.
    (. "$DESKTOP_ENV_DIR/env.sh" && xset r off)
    ;;
  stop) bash "$here/scripts/desktop/stop-desktop-env.sh" ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
