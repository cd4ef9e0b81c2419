#!/usr/bin/env python3
"""CPU use of the whole player while a song plays, with the equaliser window open and
all ten bands on (each with a gain, so none is bypassed), beside the same with the
equaliser off and its window shut. Null output, measured over --seconds each.

  bench/equalizer/cpu_with_equalizer.py [--seconds 20] [--stage PREFIX]

Runs on a private test desktop (started and stopped here); reports the player's CPU
time (user + system, /proc/PID/stat) as a percentage of one core for both runs.
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
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
sys.path.insert(0, os.path.join(root, "bench", "mainwindow"))
from tavora_e2e import desktop_env  # noqa: E402
from cpu_while_playing import cpu_seconds  # noqa: E402

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"
VIEW = r"HKLM\SOFTWARE\TavoraPlayer\Setting\View"
GAINS = [5, 4, 3, 2, 1, -1, -2, -3, -4, -5]


def run(stage, env, work, song, seconds, equalizer):
    reg = os.path.join(stage, "bin/tavora-reg")
    run_env = dict(env, TAVORA_REGISTRY=os.path.join(work, f"registry-{equalizer}.db"), XDG_RUNTIME_DIR=work,
                   XDG_CONFIG_HOME=os.path.join(work, "config"), TAVORA_AUDIO_OUTPUT="null", QT_QPA_PLATFORM="xcb")

    def add(key, name, kind, value):
        subprocess.run([reg, "add", key, "/v", name, "/t", kind, "/d", str(value)], env=run_env, check=True,
                       capture_output=True)
    add(r"HKLM\SOFTWARE\TavoraPlayer", "Install_Dir", "REG_SZ", os.path.join(stage, "share", "TavoraPlayer"))
    add(CONTROL, "Equalizer", "REG_DWORD", int(equalizer))
    add(VIEW, "Equalizer", "REG_DWORD", int(equalizer))
    for band, gain in enumerate(GAINS):
        add(CONTROL + r"\EqulizerPreset", str(band + 1), "REG_DWORD", gain)
    player = subprocess.Popen([os.path.join(stage, "bin/tavoraplayer"), "-s" + song], env=run_env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(5)  # start-up, the slide, the song starts
        if player.poll() is not None:
            raise RuntimeError("the player exited early")
        p0, t0 = cpu_seconds(player.pid), time.monotonic()
        time.sleep(seconds)
        p1, t1 = cpu_seconds(player.pid), time.monotonic()
        return 100 * (p1 - p0) / (t1 - t0)
    finally:
        player.terminate()
        player.wait(30)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--seconds", type=float, default=20)
    ap.add_argument("--stage", default=os.path.join(root, "build-main", "stage"))
    args = ap.parse_args()
    desktop = tempfile.mkdtemp(prefix="tavora-bench-desktop-")
    work = tempfile.mkdtemp(prefix="tavora-bench-")
    subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "start", desktop], check=True,
                   capture_output=True)
    os.environ["DESKTOP_ENV_DIR"] = desktop
    env = dict(os.environ, **desktop_env())
    song = os.path.join(work, "bench.wav")
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", song, "synth", str(args.seconds + 15),
                    "pinknoise", "gain", "-n", "-3"], check=True, capture_output=True)
    try:
        on = run(args.stage, env, work, song, args.seconds, True)
        off = run(args.stage, env, work, song, args.seconds, False)
        print(f"interval: {args.seconds:.0f} s each, playing pink noise, null output")
        print(f"equaliser on, window open, ten bands with gains: player CPU {on:.1f} % of one core")
        print(f"equaliser off, window shut:                     player CPU {off:.1f} % of one core")
    finally:
        subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "stop", desktop], capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(desktop, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
