#!/usr/bin/env bash
# Configures, builds and installs the player.
#   scripts/build.sh [--tests] [--prefix DIR] [--build-dir DIR] [-DNAME=VALUE...]
# --tests also builds the tests, benchmarks and fuzz targets, and trusts the test update
# key (tests/update/keys) instead of the release key: such a build is for testing only.
# -D settings go to cmake.
# The install step writes "Install_Dir" into the settings store, as an installer does.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tests=OFF
prefix="${TAVORA_PREFIX:-$HOME/.local}"
build="$here/build"
settings=()
while (($#)); do
  case "$1" in
    --tests) tests=ON; build="$here/build-tests"; settings+=(-DTAVORA_UPDATE_PUBLIC_KEY=test) ;;
    --prefix) prefix=$2; shift ;;
    --build-dir) build=$2; shift ;;
    -D*) settings+=("$1") ;;
    *) echo "usage: $0 [--tests] [--prefix DIR] [--build-dir DIR] [-DNAME=VALUE...]" >&2; exit 2 ;;
  esac
  shift
done
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# Rebuilds in several checkouts share compiled objects when ccache is there.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DTAVORA_BUILD_TESTS=$tests -DTAVORA_BUILD_BENCH=$tests -DTAVORA_BUILD_FUZZ=$tests "${settings[@]}" >&2
cmake --build "$build" -j "${TAVORA_JOBS:-$(nproc)}" >&2
cmake --install "$build" >&2
