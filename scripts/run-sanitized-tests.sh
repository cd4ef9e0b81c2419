#!/usr/bin/env bash
# Builds the player and its tests with sanitizers and runs the tests:
#   scripts/run-sanitized-tests.sh [asan|tsan] [ctest arguments...]
# asan: AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), every test.
# tsan: ThreadSanitizer (build-tsan/), the tests that run threads; ctest arguments
#       replace that selection.
# Every target is built with the sanitizer, the audio modules that the player dlopen()s
# included, so they all share one run-time. Suppressions for system libraries are in
# tests/support/*.supp.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kind=${1:-asan}
(($#)) && shift
support="$here/tests/support"
case "$kind" in
  asan)
    sanitize=address,undefined
    build="$here/build-asan"
    selection=()
    ;;
  tsan)
    sanitize=thread
    build="$here/build-tsan"
    # The playlist's loaders and scanners, the controller with its workers, the add
    # commands, the audio modules' playback threads, the update jobs and the tag editors'
    # save jobs.
    selection=(-R 'PlaylistConcurrency|PlaylistModelSignals|PlaylistModelObservers|PlaylistLoad|M3uLoading|PlsLoading|FolderScan|TrackAdvance|ControllerTest|PlaybackControllerTest|FileCommandsTest|AddressAndListTest|AddingSongs|PlaybackTest|OutputTest|RadioTest|ChannelLifetimeTest|AudioLibraryTest|UpdateDialogTest|UpdateJobTest|DownloadFileTest|Mp3Editor|TagWindowWalk')
    ;;
  *) echo "usage: $0 [asan|tsan] [ctest arguments...]" >&2; exit 2 ;;
esac
(($#)) && selection=("$@")

bash "$here/scripts/packages.sh" all
# A finding fails the test that ran into it; reports go to the test's output. Set before
# the build too: it runs programs of ours (the skin generator) built with the sanitizer.
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$support/tsan.supp:second_deadlock_stack=1:history_size=4"
export LSAN_OPTIONS="suppressions=$support/lsan.supp:print_suppressions=0"
mkdir -p "$build/stage"
# Benchmarks measure speed, which a sanitizer build does not have.
TAVORA_REGISTRY="$build/stage/registry.db" bash "$here/scripts/build.sh" --tests --build-dir "$build" \
  --prefix "$build/stage" -DTAVORA_SANITIZE=$sanitize -DTAVORA_BUILD_BENCH=OFF

cd "$build"
status=0
if [[ $kind == asan ]]; then
  # Leaks are checked in the test programs. The end-to-end tests run the whole player on
  # a desktop and end it from outside; its exit-time leak report would be about X11, the
  # sound server and the window manager's session rather than about a test.
  ASAN_OPTIONS="detect_leaks=1:strict_init_order=1" \
    ctest --output-on-failure -j "${TAVORA_JOBS:-$(nproc)}" --timeout 1800 -LE e2e "${selection[@]}" || status=$?
  ASAN_OPTIONS="detect_leaks=0" \
    ctest --output-on-failure -j "${TAVORA_JOBS:-$(nproc)}" --timeout 1800 -L e2e "${selection[@]}" || status=$?
else
  ctest --output-on-failure -j "${TAVORA_JOBS:-$(nproc)}" --timeout 1800 "${selection[@]}" || status=$?
fi
exit $status
