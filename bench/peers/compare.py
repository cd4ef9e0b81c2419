#!/usr/bin/env python3
"""This player side by side with two players Linux users pick, Audacious and Qmmp
(their Debian packages), on the same files and the same private desktop.

  bench/peers/compare.py [--stage PREFIX] [--seconds 30] [--warmup 8] [--no-install]

For each player: the CPU time of its process while a 192 kb/s MP3 plays (user + system
from /proc/PID/stat over --seconds, after --warmup) as a percentage of one core, and its
resident memory at the end of that interval (VmRSS, and PSS from smaps_rollup). For this
player and Audacious also the time a 10,000-line M3U of short tagged MP3/OGG files takes
until every row has its tag title and its length.

Each player gets its own home and config folders, the desktop's private PulseAudio and
X server; nothing of the user's own settings is read or written. Audacious and Qmmp are
installed with apt-get when missing (benchmark only: they are no dependency of the
player). A benchmark, not a test: the figures depend on the machine and its load.
"""
import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
TICKS = os.sysconf("SC_CLK_TCK")
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from tavora_e2e import desktop_env  # noqa: E402

M3U_LINES = 10000
SHORT_FILES = 200  # distinct files behind the 10,000 lines, half MP3 and half OGG


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, **kw)


def wait_until(what, test, timeout, interval=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = test()
        if result:
            return result
        time.sleep(interval)
    raise RuntimeError(f"timed out after {timeout} s waiting for {what}")


# ---- process figures -------------------------------------------------------------

def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def memory_mb(pid):
    rss = pss = None
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1]) / 1024
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    pss = int(line.split()[1]) / 1024
    except OSError:
        pass
    return rss, pss


def plays_sound(env, pid):
    """True when the PulseAudio server has a stream of process `pid`."""
    out = subprocess.run(["pactl", "list", "sink-inputs"], env=env, capture_output=True, text=True).stdout
    return f'application.process.id = "{pid}"' in out


def visible_windows(env, pid):
    ids = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid), "--name", "."],
                         env=env, capture_output=True, text=True).stdout.split()
    names = []
    for wid in ids:
        name = subprocess.run(["xdotool", "getwindowname", wid], env=env, capture_output=True,
                              text=True).stdout.strip()
        if name:
            names.append(name)
    return names


def measure_playing(name, env, pid, args):
    """CPU and memory of `pid` while it plays; the player must be playing already."""
    wait_until(f"{name} to play", lambda: plays_sound(env, pid), 60, 0.5)
    time.sleep(args.warmup)
    c0, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(args.seconds)
    c1, t1 = cpu_seconds(pid), time.monotonic()
    rss, pss = memory_mb(pid)
    still = plays_sound(env, pid)
    windows = visible_windows(env, pid)
    print(f"  {name}: {100 * (c1 - c0) / (t1 - t0):.2f} % of one core over {t1 - t0:.1f} s, "
          f"VmRSS {rss:.1f} MB, PSS {pss:.1f} MB, still playing: {still}, windows: {windows}", flush=True)
    return {"cpu": 100 * (c1 - c0) / (t1 - t0), "rss": rss, "pss": pss}


def stop(proc, timeout=60):
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


# ---- the files --------------------------------------------------------------------

def make_media(work, song_seconds):
    media = os.path.join(work, "media")
    os.makedirs(media)
    song = os.path.join(media, "Benchmark Song.mp3")
    # Tones over pink noise, slowly beating, so the analyser has something to draw.
    run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
         f"anoisesrc=color=pink:amplitude=0.2:duration={song_seconds}", "-f", "lavfi", "-i",
         f"sine=frequency=220:duration={song_seconds}", "-f", "lavfi", "-i",
         f"sine=frequency=880:duration={song_seconds}", "-filter_complex",
         "[1]tremolo=f=0.7[a];[2]tremolo=f=1.3[b];[0][a][b]amix=inputs=3", "-ac", "2", "-ar", "44100",
         "-c:a", "libmp3lame", "-b:a", "192k", "-id3v2_version", "3", "-metadata", "title=Benchmark Song",
         "-metadata", "artist=Peers", song])
    # Two short songs, re-tagged into many files without encoding again.
    base_mp3, base_ogg = os.path.join(work, "base.mp3"), os.path.join(work, "base.ogg")
    for path, codec in ((base_mp3, ["-c:a", "libmp3lame", "-b:a", "128k"]), (base_ogg, ["-c:a", "libvorbis"])):
        run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=4", "-ac", "2",
             *codec, path])
    short = os.path.join(media, "short")
    os.makedirs(short)
    files = []
    for i in range(SHORT_FILES):
        ext = "mp3" if i % 2 == 0 else "ogg"
        path = os.path.join(short, f"file-{i:03d}.{ext}")
        tag = ["-id3v2_version", "3"] if ext == "mp3" else []
        run(["ffmpeg", "-v", "error", "-y", "-i", base_mp3 if ext == "mp3" else base_ogg, "-c", "copy", *tag,
             "-metadata", f"title=Tagged Song {i}", "-metadata", "artist=Peers", path])
        files.append(path)
    m3u = os.path.join(media, "big.m3u")
    with open(m3u, "w", encoding="utf-8") as f:
        f.write("#EXTM3U\n")
        for i in range(M3U_LINES):
            f.write(files[i % len(files)] + "\n")
    return song, m3u


# ---- this player -------------------------------------------------------------------

class Tavora:
    def __init__(self, stage, desktop, work):
        self.stage = stage
        self.dir = tempfile.mkdtemp(prefix="tavora-", dir=work)
        runtime = os.path.join(self.dir, "runtime")
        os.makedirs(runtime, mode=0o700)
        self.env = dict(desktop, TAVORA_REGISTRY=os.path.join(self.dir, "registry.db"), XDG_RUNTIME_DIR=runtime,
                        XDG_CONFIG_HOME=os.path.join(self.dir, "config"), TAVORA_AUDIO_OUTPUT="pulse",
                        QT_QPA_PLATFORM="xcb")
        self.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "Install_Dir", "/t", "REG_SZ", "/d",
                 os.path.join(stage, "share", "TavoraPlayer"))
        self.reg("add", r"HKLM\SOFTWARE\TavoraPlayer\Setting\View", "/v", "List", "/t", "REG_DWORD", "/d", "1")
        self.socket = os.path.join(runtime, "TavoraPlayer List")
        self.proc = None

    def bin(self, name):
        return os.path.join(self.stage, "bin", name)

    def reg(self, *args):
        return run([self.bin("tavora-reg"), *args], env=self.env, text=True).stdout

    def start(self, *args):
        self.proc = subprocess.Popen([self.bin("tavoraplayer"), *args], env=self.env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

        def answers():
            if self.proc.poll() is not None:
                raise RuntimeError("the player exited at start")
            try:
                with socket.socket(socket.AF_UNIX) as s:
                    s.connect(self.socket)
                    return True
            except OSError:
                return False
        wait_until("the player's socket", answers, 60, 0.05)

    def stored_rows(self):
        rows = {}
        for column in ("Name", "Time", "Path"):
            out = self.reg("query", "HKLM\\SOFTWARE\\TavoraPlayer\\PlayList\\" + column)
            for line in out.splitlines():
                parts = line.strip().split("    ")
                if len(parts) >= 3 and parts[1] == "REG_SZ":
                    rows.setdefault(parts[0], {})[column] = "    ".join(parts[2:])
        return rows


def tavora_playing(args, desktop, work, song):
    t = Tavora(args.stage, desktop, work)
    t.start("-s" + song)
    try:
        return measure_playing("this player", t.env, t.proc.pid, args)
    finally:
        stop(t.proc)


def thread_ticks(pid):
    """utime + stime of every thread of `pid`, by thread id."""
    ticks = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            ticks[tid] = int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return ticks


def tavora_m3u(args, desktop, work, m3u):
    """From handing the list over to a running player until the worker thread that
    reads it (probing every file for its length and reading its tags) has ended or
    gone idle; the list the player saves at exit then shows whether every row got
    its tag title and its length."""
    t = Tavora(args.stage, desktop, work)
    t.start()
    time.sleep(3)  # past the start-up work
    base = set(thread_ticks(t.proc.pid))
    previous = {}
    t0 = time.monotonic()
    run([t.bin("tavoraplayer"), "-list" + m3u], env=t.env, timeout=300)
    seen, last_activity = False, None
    while time.monotonic() - t0 < 600:
        now = time.monotonic()
        current = {tid: n for tid, n in thread_ticks(t.proc.pid).items() if tid not in base}
        active = any(previous.get(tid) != n for tid, n in current.items())
        previous = current
        if current or active:
            seen = True
        if active:
            last_activity = now
        if seen and (not current or now - (last_activity or now) >= 1.0):
            break
        time.sleep(0.02)
    elapsed = (last_activity or time.monotonic()) - t0
    stop(t.proc, 600)
    rows = t.stored_rows()
    complete = sum(1 for r in rows.values()
                   if r.get("Name", "").startswith("Tagged Song") and r.get("Time", "") not in ("", "---", "00:00"))
    print(f"  this player: {elapsed:.2f} s until the loading thread ended or went idle; rows saved at exit with "
          f"tag title and length: {complete} of {M3U_LINES}", flush=True)
    return elapsed if complete == M3U_LINES else None


# ---- Audacious ---------------------------------------------------------------------

def peer_env(desktop, work, name):
    home = tempfile.mkdtemp(prefix=name + "-", dir=work)
    return dict(desktop, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                XDG_DATA_HOME=os.path.join(home, ".local", "share"), XDG_CACHE_HOME=os.path.join(home, ".cache"))


def audtool(env, *args):
    return subprocess.run(["audtool", *args], env=env, capture_output=True, text=True, timeout=60)


def start_audacious(desktop, work):
    env = peer_env(desktop, work, "audacious")
    proc = subprocess.Popen(["audacious"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_until("Audacious on D-Bus", lambda: audtool(env, "version").returncode == 0, 60, 0.2)
    return env, proc


def stop_audacious(env, proc):
    audtool(env, "shutdown")
    try:
        proc.wait(30)
    except subprocess.TimeoutExpired:
        stop(proc)


def audacious_playing(args, desktop, work, song):
    env, proc = start_audacious(desktop, work)
    try:
        audtool(env, "playlist-clear")
        audtool(env, "playlist-addurl", song)
        wait_until("the song in Audacious' list", lambda: audtool(env, "playlist-length").stdout.strip() == "1", 30)
        audtool(env, "playlist-jump", "1")
        audtool(env, "playback-play")
        return measure_playing("Audacious", env, proc.pid, args)
    finally:
        stop_audacious(env, proc)


def audacious_m3u(desktop, work, m3u):
    env, proc = start_audacious(desktop, work)
    try:
        audtool(env, "playlist-clear")
        time.sleep(2)

        def last_row_read():
            # Audacious reads the entries in order: the last one first, as it is cheap to
            # ask for, then all of them.
            if audtool(env, "playlist-length").stdout.strip() != str(M3U_LINES):
                return False
            if "Tagged Song" not in audtool(env, "playlist-song", str(M3U_LINES)).stdout:
                return False
            return audtool(env, "playlist-song-length-seconds", str(M3U_LINES)).stdout.strip() not in ("", "0", "-1")

        def complete():
            if not last_row_read():
                return False
            # "   N | title | m:ss" for every entry
            lines = [line for line in audtool(env, "playlist-display").stdout.splitlines() if " | " in line]
            done = [line for line in lines if "Tagged Song" in line and not line.rstrip().endswith(" 0:00")]
            return len(done) == M3U_LINES

        t0 = time.monotonic()
        audtool(env, "playlist-addurl", m3u)
        wait_until("Audacious to read the list", complete, 600, 0.05)
        elapsed = time.monotonic() - t0
        print(f"  Audacious: {elapsed:.2f} s (polled with audtool playlist-display)", flush=True)
        return elapsed
    finally:
        stop_audacious(env, proc)


# ---- Qmmp --------------------------------------------------------------------------

def qmmp_playing(args, desktop, work, song):
    env = peer_env(desktop, work, "qmmp")
    proc = subprocess.Popen(["qmmp", song], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        return measure_playing("Qmmp", env, proc.pid, args)
    finally:
        stop(proc)


# ---- the table ---------------------------------------------------------------------

def cell(value, unit_format):
    return unit_format.format(value) if value is not None else "n/a"


def ratio(ours, theirs):
    return f"{ours / theirs:.2f}" if ours is not None and theirs else "n/a"


def print_table(results):
    ours, aud, qmmp = results.get("tavora", {}), results.get("audacious", {}), results.get("qmmp", {})
    rows = [("CPU while playing a 192 kb/s MP3 (% of one core)", "cpu", "{:.2f}"),
            ("Resident memory while playing, VmRSS (MB)", "rss", "{:.1f}"),
            ("Resident memory while playing, PSS (MB)", "pss", "{:.1f}"),
            (f"{M3U_LINES:,}-line M3U until every row has title and length (s)", "m3u", "{:.2f}")]
    print("\n| Work | This player | Audacious | Qmmp | this / Audacious | this / Qmmp |")
    print("|---|---|---|---|---|---|")
    for label, key, fmt in rows:
        print(f"| {label} | {cell(ours.get(key), fmt)} | {cell(aud.get(key), fmt)} | {cell(qmmp.get(key), fmt)} "
              f"| {ratio(ours.get(key), aud.get(key))} | {ratio(ours.get(key), qmmp.get(key))} |")
    print(f"\nload average at the end: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f} "
          f"{os.getloadavg()[2]:.2f} on {os.cpu_count()} cores")


def ensure_peers(install):
    missing = [p for p, exe in (("audacious", "audtool"), ("audacious", "audacious"), ("qmmp", "qmmp"))
               if not shutil.which(exe)]
    if missing and install:
        subprocess.run(["apt-get", "install", "-y", "--no-install-recommends", *sorted(set(missing))],
                       env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"), check=False)
    return {"audacious": bool(shutil.which("audacious") and shutil.which("audtool")),
            "qmmp": bool(shutil.which("qmmp"))}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--stage", default=os.path.join(root, "build-tests", "stage"))
    ap.add_argument("--seconds", type=float, default=30)
    ap.add_argument("--warmup", type=float, default=8)
    ap.add_argument("--no-install", action="store_true", help="do not apt-get missing peers")
    ap.add_argument("--only", choices=("playing", "m3u"), help="measure only this")
    args = ap.parse_args()
    peers = ensure_peers(not args.no_install)
    for name, present in peers.items():
        if not present:
            print(f"{name} is not installed: its column stays empty", file=sys.stderr)

    desktop_dir = tempfile.mkdtemp(prefix="peers-desktop-")
    work = tempfile.mkdtemp(prefix="peers-bench-")
    run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "start", desktop_dir])
    os.environ["DESKTOP_ENV_DIR"] = desktop_dir
    desktop = dict(os.environ, **desktop_env())
    results = {"tavora": {}, "audacious": {}, "qmmp": {}}
    try:
        print("making the files...", flush=True)
        song, m3u = make_media(work, int(args.warmup + args.seconds + 60))
        if args.only in (None, "playing"):
            print("playing:", flush=True)
            results["tavora"].update(tavora_playing(args, desktop, work, song))
            if peers["audacious"]:
                results["audacious"].update(audacious_playing(args, desktop, work, song))
            if peers["qmmp"]:
                results["qmmp"].update(qmmp_playing(args, desktop, work, song))
        if args.only in (None, "m3u"):
            print(f"{M3U_LINES:,}-line M3U:", flush=True)
            results["tavora"]["m3u"] = tavora_m3u(args, desktop, work, m3u)
            if peers["audacious"]:
                results["audacious"]["m3u"] = audacious_m3u(desktop, work, m3u)
    finally:
        print_table(results)
        subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "stop", desktop_dir],
                       capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(desktop_dir, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
