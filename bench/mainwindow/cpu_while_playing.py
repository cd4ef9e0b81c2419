#!/usr/bin/env python3
"""CPU use of the player while a song plays with the main and playlist windows shown,
the spectrum moving and a long title scrolling, measured over 30 s.

  bench/mainwindow/cpu_while_playing.py [--seconds 30] [--stage PREFIX] [--output pulse|null]
                                        [--wav] [--no-list] [--short-title] [--perf DATA]
                                        [--screenshot PNG]

Runs on a private test desktop (started and stopped here). The song is a 192 kb/s
MP3 of tones over pink noise (--wav: a sox-made WAV) with a title longer than the
strip (--short-title: one that fits and stands still, as in bench/peers/compare.py),
started from the command line. Reports over the interval (user + system
time from /proc):
- the whole process and its UI thread (the main thread) as a percentage of one
  core, and the busiest other threads;
- the UI thread's wake-ups per second (its context switches);
- the X server's share, since every repaint the player asks for is rasterised there.
--perf records the UI thread with `perf record --call-graph dwarf` over the same interval.
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

LONG_TITLE = "A long song title that scrolls across the strip - 타보라 벤치마크"
SHORT_TITLE = "Benchmark Song"


def ticks_of(stat_path):
    with open(stat_path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def cpu_seconds(pid):
    return ticks_of(f"/proc/{pid}/stat") / TICKS


def threads(pid):
    """{tid: (name, cpu ticks, context switches)} of every thread of `pid`."""
    result = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        base = f"/proc/{pid}/task/{tid}"
        try:
            with open(base + "/comm") as f:
                name = f.read().strip()
            switches = 0
            with open(base + "/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
            result[tid] = (name, ticks_of(base + "/stat"), switches)
        except OSError:
            pass
    return result


def xvfb_pid(display):
    out = subprocess.run(["pgrep", "-f", f"Xvfb {display} "], capture_output=True, text=True).stdout.split()
    return int(out[0]) if out else None


def make_song(work, seconds, wav, title):
    if wav:
        song = os.path.join(work, title + ".wav")
        # Pink noise with tones over the analyser's bins, slowly beating like music would.
        tones = []
        for freq, beat in [(90, 0.7), (180, 1.1), (330, 0.5), (560, 1.7), (750, 0.9), (980, 1.3), (1250, 0.6)]:
            tones += ["synth", str(seconds), "sine", "mix", str(freq), "tremolo", str(beat), "60"]
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", song, "synth", str(seconds), "pinknoise",
                        *tones, "gain", "-n", "-1"], check=True, capture_output=True)
        return song
    song = os.path.join(work, title + ".mp3")
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                    f"anoisesrc=color=pink:amplitude=0.2:duration={seconds}", "-f", "lavfi", "-i",
                    f"sine=frequency=220:duration={seconds}", "-f", "lavfi", "-i",
                    f"sine=frequency=880:duration={seconds}", "-filter_complex",
                    "[1]tremolo=f=0.7[a];[2]tremolo=f=1.3[b];[0][a][b]amix=inputs=3", "-ac", "2", "-ar", "44100",
                    "-c:a", "libmp3lame", "-b:a", "192k", "-id3v2_version", "3", "-metadata", "title=" + title,
                    song], check=True, capture_output=True)
    return song


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--seconds", type=float, default=30)
    ap.add_argument("--warmup", type=float, default=8)
    ap.add_argument("--stage", default=os.path.join(root, "build-tests", "stage"))
    ap.add_argument("--output", choices=("pulse", "null"), default="pulse")
    ap.add_argument("--wav", action="store_true", help="play a WAV instead of the 192 kb/s MP3")
    ap.add_argument("--no-list", action="store_true", help="leave the playlist window hidden")
    ap.add_argument("--short-title", action="store_true", help="a title that fits the strip")
    ap.add_argument("--perf", help="record the UI thread with perf into this file")
    ap.add_argument("--screenshot", help="also save a picture of the playing main window here")
    args = ap.parse_args()
    desktop = tempfile.mkdtemp(prefix="tavora-bench-desktop-")
    work = tempfile.mkdtemp(prefix="tavora-bench-")
    # The end-to-end tests' desktop and its variables.
    subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "start", desktop], check=True,
                   capture_output=True)
    os.environ["DESKTOP_ENV_DIR"] = desktop
    env = dict(os.environ, **desktop_env())
    song = make_song(work, int(args.warmup + args.seconds + 30), args.wav,
                     SHORT_TITLE if args.short_title else LONG_TITLE)
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    run_env = dict(env, TAVORA_REGISTRY=os.path.join(work, "registry.db"), XDG_RUNTIME_DIR=runtime,
                   XDG_CONFIG_HOME=os.path.join(work, "config"), TAVORA_AUDIO_OUTPUT=args.output,
                   QT_QPA_PLATFORM="xcb")
    reg = os.path.join(args.stage, "bin/tavora-reg")
    subprocess.run([reg, "add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "Install_Dir", "/t", "REG_SZ", "/d",
                    os.path.join(args.stage, "share", "TavoraPlayer")], env=run_env, check=True, capture_output=True)
    subprocess.run([reg, "add", r"HKLM\SOFTWARE\TavoraPlayer\Setting\View", "/v", "List", "/t", "REG_DWORD", "/d",
                    "0" if args.no_list else "1"], env=run_env, check=True, capture_output=True)
    player = perf = None
    try:
        player = subprocess.Popen([os.path.join(args.stage, "bin/tavoraplayer"), "-s" + song], env=run_env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(args.warmup)  # start-up, the song starts, the title pass ends
        if player.poll() is not None:
            print("the player exited early", file=sys.stderr)
            return 1
        pid = player.pid
        xpid = xvfb_pid(env.get("DISPLAY", ""))
        if args.perf:
            perf = subprocess.Popen(["perf", "record", "--call-graph", "dwarf,16384", "-o", args.perf, "-t", str(pid)],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        p0, x0, th0, t0 = cpu_seconds(pid), cpu_seconds(xpid) if xpid else 0, threads(pid), time.monotonic()
        time.sleep(args.seconds)
        p1, x1, th1, t1 = cpu_seconds(pid), cpu_seconds(xpid) if xpid else 0, threads(pid), time.monotonic()
        if perf:
            perf.send_signal(2)
            perf.wait(60)
        if args.screenshot:
            wid = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^TavoraPlayer Main$"], env=env,
                                 capture_output=True, text=True).stdout.split()
            if wid:
                subprocess.run(["import", "-window", wid[0], args.screenshot], env=env, check=True)
        wall = t1 - t0
        song_kind = "WAV" if args.wav else "192 kb/s MP3"
        windows = "main window" if args.no_list else "main and playlist windows"
        title = "a short title" if args.short_title else "a scrolling title"
        print(f"interval: {wall:.1f} s, playing a {song_kind} with {title}, {windows} shown, {args.output} output")
        print(f"player CPU: {p1 - p0:.2f} s = {100 * (p1 - p0) / wall:.2f} % of one core")
        per_thread = []
        for tid, (name, ticks, switches) in th1.items():
            was = th0.get(tid, (name, 0, 0))
            per_thread.append((tid, name, (ticks - was[1]) / TICKS, (switches - was[2]) / wall))
        ui = next((t for t in per_thread if t[0] == str(pid)), None)
        if ui:
            print(f"UI thread CPU: {ui[2]:.2f} s = {100 * ui[2] / wall:.2f} % of one core, "
                  f"{ui[3]:.0f} wake-ups per second")
        others = sorted((t for t in per_thread if t[0] != str(pid)), key=lambda t: -t[2])[:4]
        for tid, name, seconds, rate in others:
            print(f"  thread {tid} ({name}): {100 * seconds / wall:.2f} %, {rate:.0f} wake-ups per second")
        if xpid:
            print(f"X server CPU: {x1 - x0:.2f} s = {100 * (x1 - x0) / wall:.2f} % of one core")
    finally:
        if perf and perf.poll() is None:
            perf.kill()
        if player and player.poll() is None:
            player.terminate()
            player.wait(30)
        subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "stop", desktop], capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(desktop, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
