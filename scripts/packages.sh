#!/usr/bin/env bash
# The Debian 12 packages the player needs to build, run and be tested.
# Sourced by the install scripts; installs whatever is missing (as root or through sudo).
set -euo pipefail

TAVORA_BUILD_PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev libvulkan-dev libxkbcommon-dev
  libsqlite3-dev sqlite3
  libmpg123-dev libvorbis-dev libogg-dev
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
  libcurl4-openssl-dev libsoundtouch-dev libcdio-dev libcdio-cdda-dev libcdio-paranoia-dev
  libpulse-dev libid3-3.8.3-dev libtag1-dev libpugixml-dev libarchive-dev libunarr-dev zlib1g-dev
  libx11-dev libxcb1-dev
  libelf-dev libsodium-dev
)
TAVORA_RUN_PACKAGES=(
  fonts-nanum libsodium23 pulseaudio pulseaudio-utils xdg-utils desktop-file-utils shared-mime-info xvfb xauth
)
TAVORA_TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev googletest
  xvfb xauth x11-utils x11-xserver-utils xdotool openbox dbus dbus-x11 trayer imagemagick
  ffmpeg lame vorbis-tools sox libsox-fmt-all id3v2 python3 python3-mutagen
  icecast2 ezstream curl cdrdao espeak-ng
  zip p7zip-full libarchive-tools unalz
  playerctl
)

tavora_install_packages() {
  local want=("$@") missing=() p
  for p in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  [[ $(id -u) == 0 ]] || sudo=(sudo)
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 -q update >&2
  "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 -q install -y --no-install-recommends "${missing[@]}" >&2
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  case "${1:-all}" in
    build) tavora_install_packages "${TAVORA_BUILD_PACKAGES[@]}" "${TAVORA_RUN_PACKAGES[@]}" ;;
    all) tavora_install_packages "${TAVORA_BUILD_PACKAGES[@]}" "${TAVORA_RUN_PACKAGES[@]}" "${TAVORA_TEST_PACKAGES[@]}" ;;
    *) echo "usage: $0 [build|all]" >&2; exit 2 ;;
  esac
fi
