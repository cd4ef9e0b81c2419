#!/usr/bin/env python3
"""CPU use of the whole player while a song plays with the main window visible: the
spectrum moving and a long title scrolling, measured over 30 s with the null output.

  bench/mainwindow/cpu_while_playing.py [--seconds 30] [--stage PREFIX] [--screenshot PNG]

Runs on a private test desktop (started and stopped here). The song is a sox-made
noise-and-tones file with a title longer than the strip, started from the command
line. Reports the player's CPU time over the interval (user + system, from
/proc/PID/stat) as a percentage of one core, and the X server's share as well, since
every repaint the player asks for is rasterised there too.
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
TICKS = os.sysconf("SC_CLK_TCK")
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from tavora_e2e import desktop_env  # noqa: E402


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def xvfb_pid(display):
    out = subprocess.run(["pgrep", "-f", f"Xvfb {display} "], capture_output=True, text=True).stdout.split()
    return int(out[0]) if out else None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--seconds", type=float, default=30)
    ap.add_argument("--stage", default=os.path.join(root, "build-main", "stage"))
    ap.add_argument("--screenshot", help="also save a picture of the playing main window here")
    args = ap.parse_args()
    desktop = tempfile.mkdtemp(prefix="tavora-bench-desktop-")
    work = tempfile.mkdtemp(prefix="tavora-bench-")
    # The end-to-end tests' desktop and its variables.
    subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "start", desktop], check=True,
                   capture_output=True)
    os.environ["DESKTOP_ENV_DIR"] = desktop
    env = dict(os.environ, **desktop_env())
    song = os.path.join(work, "A long song title that scrolls across the strip - 타보라 벤치마크.wav")
    length = args.seconds + 15
    # Pink noise with tones over the analyser's bins, slowly beating like music would.
    tones = []
    for freq, beat in [(90, 0.7), (180, 1.1), (330, 0.5), (560, 1.7), (750, 0.9), (980, 1.3), (1250, 0.6)]:
        tones += ["synth", str(length), "sine", "mix", str(freq), "tremolo", str(beat), "60"]
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", song, "synth", str(length), "pinknoise",
                    *tones, "gain", "-n", "-1"],
                   check=True, capture_output=True)
    run_env = dict(env, TAVORA_REGISTRY=os.path.join(work, "registry.db"), XDG_RUNTIME_DIR=work,
                   XDG_CONFIG_HOME=os.path.join(work, "config"), TAVORA_AUDIO_OUTPUT="null", QT_QPA_PLATFORM="xcb")
    subprocess.run([os.path.join(args.stage, "bin/tavora-reg"), "add", r"HKLM\SOFTWARE\TavoraPlayer", "/v",
                    "Install_Dir", "/t", "REG_SZ", "/d", os.path.join(args.stage, "share", "TavoraPlayer")],
                   env=run_env, check=True, capture_output=True)
    player = None
    try:
        player = subprocess.Popen([os.path.join(args.stage, "bin/tavoraplayer"), "-s" + song], env=run_env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(5)  # start-up, the song starts, the title pass ends
        if player.poll() is not None:
            print("the player exited early", file=sys.stderr)
            return 1
        xpid = xvfb_pid(env.get("DISPLAY", ""))
        p0, x0, t0 = cpu_seconds(player.pid), cpu_seconds(xpid) if xpid else 0, time.monotonic()
        time.sleep(args.seconds)
        if args.screenshot:
            wid = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^TavoraPlayer Main$"], env=env,
                                 capture_output=True, text=True).stdout.split()
            if wid:
                subprocess.run(["import", "-window", wid[0], args.screenshot], env=env, check=True)
        p1, x1, t1 = cpu_seconds(player.pid), cpu_seconds(xpid) if xpid else 0, time.monotonic()
        wall = t1 - t0
        print(f"interval: {wall:.1f} s, playing, main window visible (spectrum and title scrolling), null output")
        print(f"player CPU: {p1 - p0:.2f} s = {100 * (p1 - p0) / wall:.1f} % of one core")
        if xpid:
            print(f"X server CPU: {x1 - x0:.2f} s = {100 * (x1 - x0) / wall:.1f} % of one core")
    finally:
        if player and player.poll() is None:
            player.terminate()
            player.wait(30)
        subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "stop", desktop], capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(desktop, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
