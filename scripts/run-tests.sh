#!/usr/bin/env bash
# Installs what the build and the tests need, builds everything and runs every test
# with ctest (the end-to-end tests start their own private desktop and sound server).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/scripts/packages.sh" all
build="$here/build-tests"
mkdir -p "$build/stage"
# The install step registers the staged install in a store of its own, never the user's.
TAVORA_REGISTRY="$build/stage/registry.db" bash "$here/scripts/build.sh" --tests --build-dir "$build" --prefix "$build/stage"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 900 "$@"
