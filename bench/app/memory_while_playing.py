#!/usr/bin/env python3
"""Where the player's resident memory goes while it plays a 192 kb/s MP3 with the main
and playlist windows shown (the same set-up as bench/peers/compare.py).

  bench/app/memory_while_playing.py [--stage PREFIX] [--warmup 8] [--top 25] [--keep-env VAR=VALUE...]

Prints VmRSS and PSS, then the resident and proportional size of every mapping group
from /proc/PID/smaps: the heap, anonymous mappings (malloc arenas of threads, thread
stacks, Qt's and the X server's shared memory), and each file (libraries, fonts, the
store). --env adds a variable to the player's environment (e.g. MALLOC_ARENA_MAX=1) to
try a setting without rebuilding. A benchmark, not a test.
"""
import argparse
import collections
import os
import shutil
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
sys.path.insert(0, os.path.join(root, "bench", "peers"))
import compare  # noqa: E402


def smaps_groups(pid):
    """{group: [rss kB, pss kB, private dirty kB, mappings]} from /proc/PID/smaps."""
    groups = collections.defaultdict(lambda: [0, 0, 0, 0])
    current = None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            head = line.split()
            if not head:
                continue
            if "-" in head[0] and len(head) >= 5 and not head[0].endswith(":"):
                name = " ".join(head[5:]) if len(head) > 5 else "[anon]"
                current = groups[name]
                current[3] += 1
            elif current is not None and head[0] == "Rss:":
                current[0] += int(head[1])
            elif current is not None and head[0] == "Pss:":
                current[1] += int(head[1])
            elif current is not None and head[0] == "Private_Dirty:":
                current[2] += int(head[1])
    return groups


def thread_names(pid):
    names = collections.Counter()
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/comm") as f:
                names[f.read().strip()] += 1
        except OSError:
            pass
    return names


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--stage", default=os.path.join(root, "build-tests", "stage"))
    ap.add_argument("--warmup", type=float, default=8)
    ap.add_argument("--top", type=int, default=25)
    ap.add_argument("--env", action="append", default=[], help="VAR=VALUE for the player's environment")
    ap.add_argument("--save-smaps", help="also copy /proc/PID/smaps to this file")
    args = ap.parse_args()

    desktop_dir = tempfile.mkdtemp(prefix="mem-desktop-")
    work = tempfile.mkdtemp(prefix="mem-bench-")
    compare.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "start", desktop_dir])
    os.environ["DESKTOP_ENV_DIR"] = desktop_dir
    desktop = dict(os.environ, **compare.desktop_env())
    try:
        song, _ = compare.make_media(work, int(args.warmup + 90))
        t = compare.Tavora(args.stage, desktop, work)
        for setting in args.env:
            key, value = setting.split("=", 1)
            t.env[key] = value
        t.start("-s" + song)
        try:
            pid = t.proc.pid
            compare.wait_until("the player to play", lambda: compare.plays_sound(t.env, pid), 60, 0.5)
            time.sleep(args.warmup)
            rss, pss = compare.memory_mb(pid)
            groups = smaps_groups(pid)
            if args.save_smaps:
                shutil.copyfile(f"/proc/{pid}/smaps", args.save_smaps)
            print(f"VmRSS {rss:.1f} MB, PSS {pss:.1f} MB, windows: {compare.visible_windows(t.env, pid)}")
            print("threads:", dict(thread_names(pid)))
            print(f"{'Rss kB':>8} {'Pss kB':>8} {'PrivDirty':>9} {'maps':>5}  mapping")
            ranked = sorted(groups.items(), key=lambda kv: -kv[1][0])
            for name, (r, p, d, n) in ranked[:args.top]:
                print(f"{r:8d} {p:8d} {d:9d} {n:5d}  {name}")
            rest = ranked[args.top:]
            print(f"{sum(v[0] for _, v in rest):8d} {sum(v[1] for _, v in rest):8d} "
                  f"{sum(v[2] for _, v in rest):9d} {sum(v[3] for _, v in rest):5d}  ({len(rest)} more)")
        finally:
            compare.stop(t.proc)
    finally:
        subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "stop", desktop_dir],
                       capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(desktop_dir, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
