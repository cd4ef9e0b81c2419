#!/usr/bin/env python3
"""This player side by side with two players Linux users pick, Audacious and Qmmp
(their Debian packages), on the same files and the same private desktop.

  bench/peers/compare.py [--stage PREFIX] [--build DIR] [--seconds 30] [--warmup 8]
                         [--no-install] [--only playing|m3u|engine|store]

For each player: the CPU time of its process while a 192 kb/s MP3 plays (user + system
from /proc/PID/stat over --seconds, after --warmup) as a percentage of one core, and its
resident memory at the end of that interval (VmRSS, and PSS from smaps_rollup); for this
player also the share of its UI thread. For this player and Audacious also the time a
10,000-line M3U of short tagged MP3/OGG files takes until every row has its tag title and
its length, and the CPU time the player spent on it.

Two figures only this player has are taken from its Google Benchmark programs in the
build folder (--build): the engine's chain against raw decoding
(bench/modules, modules_engine_bench) and saving a 100,000-row list to the store
(bench/playlist, playlist_bench, BM_SavePlaylist100k).

The table at the end gives each figure, the goal it is held to, and the ratios.

Each player gets its own home and config folders, the desktop's private PulseAudio and
X server; nothing of the user's own settings is read or written. Audacious and Qmmp are
installed with apt-get when missing (benchmark only: they are no dependency of the
player). A benchmark, not a test: the figures depend on the machine and its load.
"""
import argparse
import json
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


def thread_seconds(pid, tid):
    with open(f"/proc/{pid}/task/{tid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def measure_playing(name, env, pid, args):
    """CPU and memory of `pid` while it plays; the player must be playing already. The
    UI thread is the main thread, whose id is the process id."""
    wait_until(f"{name} to play", lambda: plays_sound(env, pid), 60, 0.5)
    time.sleep(args.warmup)
    c0, u0, t0 = cpu_seconds(pid), thread_seconds(pid, pid), time.monotonic()
    time.sleep(args.seconds)
    c1, u1, t1 = cpu_seconds(pid), thread_seconds(pid, pid), time.monotonic()
    rss, pss = memory_mb(pid)
    still = plays_sound(env, pid)
    windows = visible_windows(env, pid)
    cpu, ui = 100 * (c1 - c0) / (t1 - t0), 100 * (u1 - u0) / (t1 - t0)
    print(f"  {name}: {cpu:.2f} % of one core over {t1 - t0:.1f} s (main thread {ui:.2f} %), "
          f"VmRSS {rss:.1f} MB, PSS {pss:.1f} MB, still playing: {still}, windows: {windows}", flush=True)
    if not still:
        raise RuntimeError(f"{name} stopped playing during the measurement")
    return {"cpu": cpu, "ui": ui, "rss": rss, "pss": pss}


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

    def start(self, *args, stderr=subprocess.DEVNULL):
        self.proc = subprocess.Popen([self.bin("tavoraplayer"), *args], env=self.env, stdout=subprocess.DEVNULL,
                                     stderr=stderr)

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


LOAD_DONE = "list pass done:"  # the player's tavora.playlist.load log line at the end of a list's pass


def tavora_m3u(args, desktop, work, m3u):
    """From handing the list over to a running player until it logs that the pass over
    the list's rows (length and tag title of every row) is done. Without that line (an
    older build) until the threads that read the list have ended or gone idle. The list
    the player saves at exit then shows whether every row got its title and length."""
    t = Tavora(args.stage, desktop, work)
    log_path = os.path.join(t.dir, "player.log")
    t.env["QT_LOGGING_RULES"] = "tavora.playlist.load.info=true"
    with open(log_path, "w") as log:
        t.proc = None
        t.start(stderr=log)
    time.sleep(3)  # past the start-up work
    base = set(thread_ticks(t.proc.pid))
    previous = {}
    c0, t0 = cpu_seconds(t.proc.pid), time.monotonic()
    run([t.bin("tavoraplayer"), "-list" + m3u], env=t.env, timeout=300)
    seen, last_activity, done_at, how = False, None, None, "the loading threads ended or went idle"
    while time.monotonic() - t0 < 600:
        now = time.monotonic()
        with open(log_path, errors="replace") as f:
            if LOAD_DONE in f.read():
                done_at, how = now, "the player logged the end of the list's pass"
                break
        current = {tid: n for tid, n in thread_ticks(t.proc.pid).items() if tid not in base}
        active = any(previous.get(tid) != n for tid, n in current.items())
        previous = current
        if current or active:
            seen = True
        if active:
            last_activity = now
        if seen and (not current or now - (last_activity or now) >= 3.0):
            done_at = last_activity or now
            break
        time.sleep(0.01)
    elapsed = (done_at or time.monotonic()) - t0
    cpu = cpu_seconds(t.proc.pid) - c0
    stop(t.proc, 600)
    rows = t.stored_rows()
    complete = sum(1 for r in rows.values()
                   if r.get("Name", "").startswith("Tagged Song") and r.get("Time", "") not in ("", "---", "00:00"))
    print(f"  this player: {elapsed:.2f} s until {how}, {cpu:.2f} s CPU; rows saved at exit with "
          f"tag title and length: {complete} of {M3U_LINES}", flush=True)
    if complete != M3U_LINES:
        return None, None
    return elapsed, cpu


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

        def song_read(row):
            if "Tagged Song" not in audtool(env, "playlist-song", str(row)).stdout:
                return False
            return audtool(env, "playlist-song-length-seconds", str(row)).stdout.strip() not in ("", "0", "-1")

        def last_row_read():
            # Cheap to ask, so asked often: the list is all there and its last entry read.
            return audtool(env, "playlist-length").stdout.strip() == str(M3U_LINES) and song_read(M3U_LINES)

        def sample_read():
            # Asking for the whole list (playlist-display) takes Audacious several seconds over
            # D-Bus, longer than reading the list; every 500th entry is asked for instead.
            return all(song_read(row) for row in range(M3U_LINES - 1, 0, -500))

        c0, t0 = cpu_seconds(proc.pid), time.monotonic()
        audtool(env, "playlist-addurl", m3u)
        wait_until("Audacious to read the list's last entry", last_row_read, 600, 0.02)
        wait_until("Audacious to read every 500th entry", sample_read, 600, 0.02)
        elapsed, cpu = time.monotonic() - t0, cpu_seconds(proc.pid) - c0
        print(f"  Audacious: {elapsed:.2f} s, {cpu:.2f} s CPU including answering the polls (the last and "
              f"every 500th entry checked)", flush=True)
        return elapsed, cpu
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


# ---- this player's own benchmarks ---------------------------------------------------

def google_benchmark(program, pattern, repetitions=3):
    """Median real and CPU time (ms) of each benchmark matching `pattern`."""
    if not os.access(program, os.X_OK):
        print(f"  {program} is not built: its rows stay empty", flush=True)
        return {}
    out = subprocess.run([program, f"--benchmark_filter={pattern}", "--benchmark_format=json",
                          f"--benchmark_repetitions={repetitions}", "--benchmark_report_aggregates_only=true"],
                         capture_output=True, text=True, timeout=1800)
    if out.returncode != 0:
        print(f"  {program} failed: {out.stderr[-2000:]}", flush=True)
        return {}
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    figures = {}
    for b in json.loads(out.stdout)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            k = scale[b.get("time_unit", "ns")]
            figures[b["run_name"]] = {"real": b["real_time"] * k, "cpu": b["cpu_time"] * k}
    return figures


def engine_figures(args):
    b = google_benchmark(os.path.join(args.build, "bench", "modules", "modules_engine_bench"),
                         "^BM_(Raw|Engine)")
    for name, f in sorted(b.items()):
        print(f"  {name}: {f['cpu']:.1f} ms CPU", flush=True)

    def over(chain, raw):
        return b[chain]["cpu"] / b[raw]["cpu"] if chain in b and raw in b else None
    return {"chain_mp3": over("BM_EngineChainMp3", "BM_RawMpg123"),
            "chain_ogg": over("BM_EngineChainVorbis", "BM_RawVorbis"),
            "flat_mp3": over("BM_EngineFlatChainMp3", "BM_RawMpg123"),
            "flat_ogg": over("BM_EngineFlatChainVorbis", "BM_RawVorbis"),
            "decode_mp3": over("BM_EngineDecodeOnlyMp3", "BM_RawMpg123"),
            "decode_ogg": over("BM_EngineDecodeOnlyVorbis", "BM_RawVorbis")}


def store_figures(args):
    b = google_benchmark(os.path.join(args.build, "bench", "playlist", "playlist_bench"), "^BM_SavePlaylist100k$")
    f = b.get("BM_SavePlaylist100k")
    if f:
        print(f"  saving 100,000 rows: {f['real'] / 1000:.3f} s, {f['cpu'] / 1000:.3f} s CPU", flush=True)
    return {"save": f["real"] / 1000 if f else None, "save_cpu": f["cpu"] / 1000 if f else None}


# ---- the table ---------------------------------------------------------------------

def cell(value, unit_format):
    return unit_format.format(value) if value is not None else "n/a"


def ratio(ours, theirs):
    return f"{ours / theirs:.2f}" if ours is not None and theirs else ""


def print_table(results):
    ours, aud, qmmp = results.get("tavora", {}), results.get("audacious", {}), results.get("qmmp", {})
    # label, key, format, goal (at most), the peers' figures compared
    rows = [("CPU while playing a 192 kb/s MP3, main + list windows, analyser on (% of one core)", "cpu",
             "{:.2f}", 0.85, True),
            ("  of which the UI thread (%)", "ui", "{:.2f}", 0.35, False),
            ("Resident memory while playing, VmRSS (MB)", "rss", "{:.1f}", 45, True),
            ("Resident memory while playing, PSS (MB)", "pss", "{:.1f}", None, True),
            (f"{M3U_LINES:,}-line M3U handed over until every row has title and length (s)", "m3u", "{:.2f}",
             0.30, True),
            ("  CPU time spent on it (s)", "m3u_cpu", "{:.2f}", None, True),
            ("Engine chain, ten active bands, vs raw decoding, MP3 (x)", "chain_mp3", "{:.2f}", 1.4, False),
            ("Engine chain, ten active bands, vs raw decoding, Vorbis (x)", "chain_ogg", "{:.2f}", 1.4, False),
            ("Same chain, equaliser flat, MP3 (x)", "flat_mp3", "{:.2f}", 1.1, False),
            ("Same chain, equaliser flat, Vorbis (x)", "flat_ogg", "{:.2f}", 1.1, False),
            ("  decoding stream alone, MP3 (x)", "decode_mp3", "{:.2f}", None, False),
            ("  decoding stream alone, Vorbis (x)", "decode_ogg", "{:.2f}", None, False),
            ("100,000-row playlist saved to the store (s)", "save", "{:.3f}", 0.5, False),
            ("  CPU time (s)", "save_cpu", "{:.3f}", None, False)]
    print("\n| Work | This player | Audacious | Qmmp | Goal | met | this / Audacious | this / Qmmp |")
    print("|---|---|---|---|---|---|---|---|")
    for label, key, fmt, goal, peers in rows:
        value = ours.get(key)
        if value is None and not (peers and (aud.get(key) is not None or qmmp.get(key) is not None)):
            continue
        met = "" if goal is None or value is None else ("yes" if value <= goal else "NO")
        print(f"| {label} | {cell(value, fmt)} | {cell(aud.get(key), fmt) if peers else ''} "
              f"| {cell(qmmp.get(key), fmt) if peers else ''} | {'<= ' + str(goal) if goal is not None else ''} "
              f"| {met} | {ratio(value, aud.get(key)) if peers else ''} | {ratio(value, qmmp.get(key)) if peers else ''} |")
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
    ap.add_argument("--build", default=os.path.join(root, "build-tests"),
                    help="build folder holding the benchmark programs")
    ap.add_argument("--seconds", type=float, default=30)
    ap.add_argument("--warmup", type=float, default=8)
    ap.add_argument("--no-install", action="store_true", help="do not apt-get missing peers")
    ap.add_argument("--only", choices=("playing", "m3u", "engine", "store"), help="measure only this")
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
            results["tavora"]["m3u"], results["tavora"]["m3u_cpu"] = tavora_m3u(args, desktop, work, m3u)
            if peers["audacious"]:
                results["audacious"]["m3u"], results["audacious"]["m3u_cpu"] = audacious_m3u(desktop, work, m3u)
        if args.only in (None, "engine"):
            print("engine chain (bench/modules):", flush=True)
            results["tavora"].update(engine_figures(args))
        if args.only in (None, "store"):
            print("saving to the store (bench/playlist):", flush=True)
            results["tavora"].update(store_figures(args))
    finally:
        print_table(results)
        subprocess.run(["bash", os.path.join(root, "tests/e2e/desktop.sh"), "stop", desktop_dir],
                       capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(desktop_dir, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
