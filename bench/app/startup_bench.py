#!/usr/bin/env python3
"""Start-up to the controller's first paint, for the installed player.

  bench/app/startup_bench.py [--runs N] [--stage PREFIX]

Runs on the private test desktop (started and stopped here). Each run uses a fresh
settings store; the player reports its first paint on the "tavora.startup" log
category, and the time from spawning the process to that line is measured too.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=10)
    ap.add_argument("--stage", default=os.path.join(root, "build-tests", "stage"))
    args = ap.parse_args()
    desktop = tempfile.mkdtemp(prefix="tavora-bench-desktop-")
    env_lines = subprocess.run(["bash", os.path.join(root, "scripts/desktop/start-desktop-env.sh"), "--print-env"],
                               env=dict(os.environ, DESKTOP_ENV_DIR=desktop), capture_output=True, text=True,
                               check=True).stdout
    env = dict(os.environ)
    for line in env_lines.splitlines():
        if line.startswith("export ") and "=" in line:
            k, v = line[7:].split("=", 1)
            env[k] = v.strip("'\"")
    inside, outside = [], []
    try:
        for i in range(args.runs):
            work = tempfile.mkdtemp(prefix="tavora-bench-")
            run_env = dict(env, TAVORA_REGISTRY=os.path.join(work, "registry.db"),
                           XDG_RUNTIME_DIR=work, TAVORA_AUDIO_OUTPUT="null",
                           QT_LOGGING_RULES="tavora.startup.info=true")
            started = time.perf_counter()
            p = subprocess.Popen([os.path.join(args.stage, "bin/tavoraplayer")], env=run_env,
                                 stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
            for line in p.stderr:
                if "first paint" in line:
                    outside.append((time.perf_counter() - started) * 1000)
                    inside.append(float(line.split("first paint")[1].split("ms")[0]))
                    break
            p.terminate()
            p.wait(30)
    finally:
        subprocess.run(["bash", os.path.join(root, "scripts/desktop/stop-desktop-env.sh")],
                       env=dict(os.environ, DESKTOP_ENV_DIR=desktop), capture_output=True)
    if not inside:
        print("the player never reported a first paint", file=sys.stderr)
        return 1
    print(f"runs: {len(inside)}")
    print(f"first paint after process start (reported by the player): median {statistics.median(inside):.1f} ms, "
          f"min {min(inside):.1f}, max {max(inside):.1f}")
    print(f"first paint seen by the launcher: median {statistics.median(outside):.1f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
