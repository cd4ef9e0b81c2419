#!/usr/bin/env python3
"""A 10,000-line M3U handed to a running player ("-list"), measured from the player's side:
the wall time from the hand-off until the player logs the list as loaded (every row in
the list with its title and length), and the CPU time the whole process (every thread,
the UI thread's row updates included) spent on it.

  bench/app/m3u_handoff.py [--stage PREFIX] [--runs 3]

Uses the files and the private desktop of bench/peers/compare.py. A benchmark, not a
test: the figures depend on the machine and its load.
"""
import argparse
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


def one_run(args, desktop, work, m3u):
    t = compare.Tavora(args.stage, desktop, work)
    log = os.path.join(t.dir, "player.log")
    env = dict(t.env, QT_LOGGING_RULES="tavora.handoff.info=true")
    with open(log, "w") as out:
        t.proc = subprocess.Popen([t.bin("tavoraplayer")], env=env, stdout=out, stderr=out)
    try:
        compare.wait_until("the player's socket", lambda: os.path.exists(t.socket), 60, 0.05)
        time.sleep(3)  # past the start-up work
        c0, t0 = compare.cpu_seconds(t.proc.pid), time.monotonic()
        compare.run([t.bin("tavoraplayer"), "-list" + m3u], env=t.env, timeout=300)

        def loaded():
            with open(log, errors="replace") as f:
                return "loaded:" in f.read()
        compare.wait_until("the list to load", loaded, 300, 0.002)
        wall = time.monotonic() - t0
        time.sleep(1.0)  # the UI thread takes the last rows in
        cpu = compare.cpu_seconds(t.proc.pid) - c0
        with open(log, errors="replace") as f:
            line = [l.strip() for l in f if "loaded:" in l][0]
        return wall, cpu, line
    finally:
        compare.stop(t.proc)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--stage", default=os.path.join(root, "build-tests", "stage"))
    ap.add_argument("--runs", type=int, default=3)
    args = ap.parse_args()
    desktop_dir = tempfile.mkdtemp(prefix="m3u-desktop-")
    work = tempfile.mkdtemp(prefix="m3u-bench-")
    compare.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "start", desktop_dir])
    os.environ["DESKTOP_ENV_DIR"] = desktop_dir
    desktop = dict(os.environ, **compare.desktop_env())
    try:
        _, m3u = compare.make_media(work, 10)
        for _ in range(args.runs):
            wall, cpu, line = one_run(args, desktop, work, m3u)
            print(f"hand-off to loaded: {wall:.3f} s wall, {cpu:.2f} s CPU of the process (incl. 1 s idle after); "
                  f"{line}", flush=True)
    finally:
        subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "stop", desktop_dir], capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(desktop_dir, ignore_errors=True)


if __name__ == "__main__":
    main()
