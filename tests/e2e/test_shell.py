"""The player in the desktop shell: an automation client keeps it running, playerctl
drives it through MPRIS, the mini player band takes over at minimise, the notice."""
import os
import signal
import subprocess
import sys
import tempfile
import threading
import unittest

from audio_analysis import _mono, frequency, rms
from stored_playlist import read_playlist
from tavora_e2e import STAGE, PlayerSession, binary, playerctl, visible_windows, wait_until

ROOT = r"HKLM\SOFTWARE\TavoraPlayer"
CONTROL = ROOT + r"\Setting\Control"
VIEW = ROOT + r"\Setting\View"
EXIT, MINIMIZE = 32781, 32782
TITLE = "타보라 플레이어"
BAND_CLASS = "TavoraDeskBandClass"


def make_tone(path, seconds, freq=440):
    subprocess.run(["sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", str(seconds),
                    "sine", str(freq), "vol", "0.5"], check=True)


def recording_tail(path, seconds=0.3):
    """(rate, mono samples) of the last `seconds` of a recording being written (see
    audio_analysis.read_recording: 16-bit, 44-byte header)."""
    try:
        with open(path, "rb") as f:
            header = f.read(44)
            size = f.seek(0, 2)
            chans = int.from_bytes(header[22:24], "little") or 2
            rate = int.from_bytes(header[24:28], "little") or 44100
            frame = chans * 2
            want = int(rate * seconds) * frame
            start = max(44, 44 + ((size - 44 - want) // frame) * frame)
            f.seek(start)
            return rate, _mono(f.read(want), chans)
    except (OSError, ValueError):
        return 44100, []


def tail_is(path, freq=None):
    """The recording's last moment is silent (freq None) or a tone near `freq`."""
    rate, samples = recording_tail(path)
    if len(samples) < rate * 0.25:
        return False
    if freq is None:
        return rms(samples) < 0.001
    return rms(samples) > 0.01 and abs(frequency(rate, samples) - freq) < 30


_SEND_WINDOW_MESSAGES = """
import ctypes, ctypes.util, sys
x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(ClientMessage)]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
window, message, count = int(sys.argv[1]), int(sys.argv[2], 0), int(sys.argv[3])
display = x11.XOpenDisplay(None)
if not display:
    raise SystemExit("cannot open the display")
event = ClientMessage(type=33, window=window, format=32,
                      message_type=x11.XInternAtom(display, b"_TAVORA_WINDOW_MESSAGE", 0))
event.l[0] = message
for _ in range(count):
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
x11.XSync(display, 0)
"""


def send_window_messages(env, window, message, count):
    """Sends `count` copies of a window message to an X11 window, as any program on the
    desktop can (in a process of its own that has the desktop's display)."""
    subprocess.run([sys.executable, "-c", _SEND_WINDOW_MESSAGES, str(window), hex(message), str(count)], env=env,
                   check=True, timeout=120)


def automation_client():
    return os.path.join(os.path.dirname(STAGE), "tests", "shell", "tavora-automation-client")


def geometry(env, wid):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], env=env, capture_output=True, text=True,
                         timeout=30).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values.get("WIDTH", 0)), int(values.get("HEIGHT", 0))


def tray_icon(s):
    """The player's icon in the tray: its one small window embedded in the tray host."""
    for wid in visible_windows(s.env, pid=s.player.pid):
        width, height = geometry(s.env, wid)
        if 1 < width <= 64 and 1 < height <= 64:
            return wid
    return None


def player_windows(s):
    """The player's visible windows other than its tray icon."""
    icon = tray_icon(s)
    return [w for w in visible_windows(s.env, pid=s.player.pid) if w != icon]


def main_window_shown(s):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^TavoraPlayer Main"], env=s.env,
                          capture_output=True, text=True, timeout=30).stdout.split()


def click(env, wid, x, y, button=1):
    subprocess.run(["xdotool", "mousemove", "--window", wid, str(x), str(y), "click", str(button)], env=env,
                   check=True, timeout=30)


def window_name(env, wid):
    return subprocess.run(["xdotool", "getwindowname", wid], env=env, capture_output=True, text=True,
                          timeout=30).stdout.strip()


class ShellTest(unittest.TestCase):
    def setUp(self):
        self.media = tempfile.mkdtemp(prefix="tavora-shell-")

    def session(self, audio="null"):
        s = PlayerSession(audio=audio)
        self.addCleanup(s.close)
        s.reg("add", CONTROL, "/v", "CrossFade", "/t", "REG_DWORD", "/d", "0")
        return s

    def hold(self, s):
        client = subprocess.Popen([automation_client()], env=s.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True)
        def end():
            if client.poll() is None:
                client.kill()
            client.wait()
            client.stdin.close()
            client.stdout.close()
        self.addCleanup(end)
        self.assertEqual(client.stdout.readline().strip(), "attached")
        return client

    def closed_while_held(self):
        """A running player, held by a client, after its window was closed: (session, client)."""
        s = self.session()
        s.start()
        s.wait_ready()
        s.wait_window(TITLE)
        client = self.hold(s)
        s.reg("add", ROOT, "/v", "UpdateCheck", "/t", "REG_DWORD", "/d", "5")
        s.command(EXIT)
        wait_until(lambda: not player_windows(s), what="every player window hidden")
        self.assertIsNone(s.player.poll(), "the player ended while a client held it")
        self.assertEqual(s.dword(ROOT[5:], "UpdateCheck"), 5, "the shutdown ran while held")
        return s, client

    def test_automation_client_keeps_the_player_until_it_lets_go(self):
        s, client = self.closed_while_held()
        client.stdin.write("release\n")
        client.stdin.flush()
        self.assertEqual(client.stdout.readline().strip(), "released")
        self.assertEqual(s.player.wait(60), 0, s.read_log())
        self.assertEqual(s.dword(ROOT[5:], "UpdateCheck"), 0, "the settings were saved at the end")
        # The start wrote how the bus can start the player for a client.
        service = os.path.join(s.env["XDG_DATA_HOME"], "dbus-1", "services", "TavoraPlayer.Application.service")
        with open(service, encoding="utf-8") as f:
            self.assertIn("Exec=" + binary("tavoraplayer"), f.read())

    def test_a_client_that_vanishes_from_the_bus_lets_go(self):
        s, client = self.closed_while_held()
        client.kill()
        self.assertEqual(s.player.wait(60), 0, s.read_log())
        self.assertEqual(s.dword(ROOT[5:], "UpdateCheck"), 0)

    def test_a_signal_ends_a_held_player_and_saves_its_list(self):
        # Only closing the window waits for the clients; a kill or a hang-up does not.
        song = os.path.join(self.media, "song.wav")
        make_tone(song, 30)
        for sig in (signal.SIGTERM, signal.SIGHUP):
            s = self.session()
            s.start("-s" + song)
            s.wait_ready()
            self.hold(s)
            wait_until(lambda: playerctl(s.env, "status") == "Playing", what="the song playing")
            self.assertEqual(s.stop(sig), 0, s.read_log())
            _, rows, _ = read_playlist(s.store_path())
            self.assertEqual([row[2] for row in rows], [song])

    def test_mpris_open_plays_what_it_opened_and_a_seek_past_any_end_goes_to_the_next(self):
        # Songs far longer than any wait here: no song may end and hand over by itself.
        first = os.path.join(self.media, "first.wav")
        second = os.path.join(self.media, "second.wav")
        opened = os.path.join(self.media, "opened.wav")
        for path, freq in ((first, 440), (second, 880), (opened, 660)):
            subprocess.run(["sox", "-q", "-n", "-r", "8000", "-c", "1", "-b", "16", path, "synth", "600", "sine",
                            str(freq), "vol", "0.5"], check=True)
        s = self.session()
        s.start("-s" + first)
        s.wait_ready()
        env = s.env
        s.launch("-add" + second).communicate(timeout=60)
        wait_until(lambda: "-add" + second in s.read_log(), what="the second song handed over")
        wait_until(lambda: playerctl(env, "metadata", "xesam:title") == "first", what="the first song")
        # The largest offset the bus can carry: past the end, so the next song.
        out = subprocess.run(["gdbus", "call", "--session", "--dest", "org.mpris.MediaPlayer2.tavoraplayer",
                              "--object-path", "/org/mpris/MediaPlayer2", "--method",
                              "org.mpris.MediaPlayer2.Player.Seek", str(2 ** 63 - 1)], env=env,
                             capture_output=True, text=True, timeout=30)
        self.assertEqual(out.returncode, 0, out.stderr)
        wait_until(lambda: playerctl(env, "metadata", "xesam:title") == "second", what="the next song")
        # A song opened from outside is added and is what plays.
        playerctl(env, "open", "file://" + opened)
        wait_until(lambda: playerctl(env, "metadata", "xesam:title") == "opened", what="the opened song")
        self.assertTrue(playerctl(env, "metadata", "xesam:url").endswith("/opened.wav"))
        self.assertEqual(s.stop(signal.SIGTERM), 0, s.read_log())
        _, rows, _ = read_playlist(s.store_path())
        self.assertEqual([row[2] for row in rows], [first, second, opened])

    def test_playerctl_plays_pauses_seeks_skips_and_reads(self):
        first = os.path.join(self.media, "first.wav")
        second = os.path.join(self.media, "second.wav")
        make_tone(first, 30)
        make_tone(second, 20, 880)
        s = self.session()
        s.start("-s" + first)
        s.wait_ready()
        env = s.env
        wait_until(lambda: playerctl(env, "status") == "Playing", what="MPRIS to say Playing")
        self.assertEqual(playerctl(env, "metadata", "xesam:title"), "first")
        self.assertEqual(playerctl(env, "metadata", "mpris:length"), "30000000")
        self.assertTrue(playerctl(env, "metadata", "xesam:url").endswith("/first.wav"))
        playerctl(env, "position", "12")
        wait_until(lambda: 11.5 <= float(playerctl(env, "position") or 0) < 20, what="the seek to 12 s")
        playerctl(env, "pause")
        wait_until(lambda: playerctl(env, "status") == "Paused", what="MPRIS to say Paused")
        held = float(playerctl(env, "position"))
        self.assertGreaterEqual(held, 11.5)
        playerctl(env, "play")
        wait_until(lambda: playerctl(env, "status") == "Playing", what="playing again")
        # The volume the desktop sets is the player's, both ways.
        playerctl(env, "volume", "0.2")
        wait_until(lambda: abs(float(playerctl(env, "volume") or -1) - 0.2) < 0.03, what="the volume at 0.2")
        # A second song, handed over as a later launch does; then skip to it.
        s.launch("-add" + second).communicate(timeout=60)
        wait_until(lambda: "-add" + second in s.read_log(), what="the second song handed over")
        playerctl(env, "next")
        wait_until(lambda: playerctl(env, "metadata", "xesam:title") == "second", what="the next song")
        playerctl(env, "stop")
        wait_until(lambda: playerctl(env, "status") == "Stopped", what="stopped")
        self.assertEqual(s.stop(signal.SIGTERM), 0, s.read_log())


class BandTest(unittest.TestCase):
    def setUp(self):
        self.media = tempfile.mkdtemp(prefix="tavora-band-")

    def start_band(self, s):
        band = subprocess.Popen([binary("tavora-band"), "--at", "900,990"], env=s.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (band.kill(), band.wait()))

        def found():
            out = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", BAND_CLASS], env=s.env,
                                 capture_output=True, text=True, timeout=30).stdout.split()
            return out[0] if out else None
        return band, wait_until(found, what="the band's window")

    def click_band(self, s, wid, x):
        click(s.env, wid, x, 14)

    def test_minimise_hands_over_to_the_band_and_its_buttons_drive_the_player(self):
        first = os.path.join(self.media, "first.wav")
        second = os.path.join(self.media, "second.wav")
        make_tone(first, 60, 440)
        make_tone(second, 60, 880)
        wav = os.path.join(self.media, "heard.wav")
        s = PlayerSession(audio="wav:" + wav)
        self.addCleanup(s.close)
        s.reg("add", CONTROL, "/v", "CrossFade", "/t", "REG_DWORD", "/d", "0")
        s.reg("add", VIEW, "/v", "MiniPlayerInfo", "/t", "REG_DWORD", "/d", "1")
        band, wid = self.start_band(s)
        s.start("-s" + first)
        s.wait_ready()
        s.launch("-add" + second).communicate(timeout=60)
        wait_until(lambda: "-add" + second in s.read_log(), what="the second song handed over")
        wait_until(lambda: main_window_shown(s), what="the main window")
        wait_until(lambda: tail_is(wav, 440), what="the first song heard", interval=0.3)
        s.command(MINIMIZE)
        wait_until(lambda: not player_windows(s), what="no player window left")
        wait_until(lambda: " - 재생" in window_name(s.env, wid), what="the band showing the playing state")
        self.assertEqual(s.dword(ROOT[5:], "handle"), int(wid))
        # Next: the second song is heard.
        self.click_band(s, wid, 82)
        wait_until(lambda: tail_is(wav, 880), what="the second song after the band's next", interval=0.3)
        # Volume to 0 on the band's track: silence follows.
        self.click_band(s, wid, 119)
        wait_until(lambda: " 0/38" in window_name(s.env, wid), what="the band at volume 0")
        wait_until(lambda: tail_is(wav), what="silence after volume 0", interval=0.3)
        # Back up to the top of the track: heard again.
        self.click_band(s, wid, 169)
        wait_until(lambda: " 38/38" in window_name(s.env, wid), what="the band at full volume")
        wait_until(lambda: tail_is(wav, 880), what="the song heard again", interval=0.3)
        # Play pauses and resumes.
        self.click_band(s, wid, 60)
        wait_until(lambda: " - 정지" in window_name(s.env, wid), what="the band showing the pause")
        self.click_band(s, wid, 60)
        wait_until(lambda: " - 재생" in window_name(s.env, wid), what="the band showing play again")
        # Stopped elsewhere: the band is told.
        playerctl(s.env, "stop")
        wait_until(lambda: " - 정지" in window_name(s.env, wid), what="the band told that playback stopped")
        # A click on the tray icon brings the player back and the band drops its controls.
        click(s.env, wait_until(lambda: tray_icon(s), what="the tray icon"), 8, 8)
        wait_until(lambda: main_window_shown(s), what="the main window back")
        wait_until(lambda: window_name(s.env, wid) == "타보라 미니 플레이어", what="the band without controls")
        self.assertEqual(s.stop(signal.SIGTERM), 0, s.read_log())

    def test_a_flood_of_forged_band_requests_leaves_the_player_answering(self):
        song = os.path.join(self.media, "song.wav")
        make_tone(song, 120)
        wav = os.path.join(self.media, "heard.wav")
        s = PlayerSession(audio="wav:" + wav)
        self.addCleanup(s.close)
        s.reg("add", CONTROL, "/v", "CrossFade", "/t", "REG_DWORD", "/d", "0")
        s.start()
        s.wait_ready()
        controller = s.wait_window(TITLE)
        s.launch("-s" + song).communicate(timeout=60)
        wait_until(lambda: tail_is(wav, 440), what="the song heard", interval=0.3)
        # 10,000 "Play" requests from another program: each pauses or resumes, and none
        # may make the player wait for a fade.
        send_window_messages(s.env, controller, 0x10E8, 10000)
        self.assertEqual(s.command(32811, timeout=10), 0)  # the hand-off socket answers
        wait_until(lambda: playerctl(s.env, "status") == "Playing", what="playing after an even number")
        wait_until(lambda: tail_is(wav, 440), what="the song heard again", interval=0.3)
        self.assertEqual(s.stop(signal.SIGTERM, timeout=10), 0, s.read_log())

    def test_stale_handle_gets_no_hand_over(self):
        s = PlayerSession()
        self.addCleanup(s.close)
        s.reg("add", VIEW, "/v", "MiniPlayerInfo", "/t", "REG_DWORD", "/d", "1")
        s.start()
        s.wait_ready()
        controller = s.wait_window(TITLE)
        # The stored handle names a window of another program now (here: the player's
        # own controller), as a reused id would: it must not be taken for the band.
        s.reg("add", ROOT, "/v", "handle", "/t", "REG_DWORD", "/d", str(int(controller)))
        s.command(MINIMIZE)
        # No hand-over: the controller is only minimised, not hidden, so its button stays.
        wait_until(lambda: "_NET_WM_STATE_HIDDEN" in subprocess.run(
            ["xprop", "-id", controller, "_NET_WM_STATE"], env=s.env, capture_output=True, text=True,
            timeout=30).stdout, what="the controller minimised")
        self.assertEqual(s.stop(signal.SIGTERM), 0, s.read_log())


class TrayTest(unittest.TestCase):
    def test_tray_icon_follows_show_tray_and_its_menu_works_with_real_clicks(self):
        s = PlayerSession()
        self.addCleanup(s.close)
        s.reg("add", CONTROL, "/v", "ShowTray", "/t", "REG_DWORD", "/d", "1")
        s.start()
        s.wait_ready()
        s.wait_window(TITLE)
        wait_until(lambda: main_window_shown(s), what="the main window")
        self.assertIsNone(tray_icon(s), "a tray icon although ShowTray is 1")
        s.command(32846)  # tray and taskbar
        icon = wait_until(lambda: tray_icon(s), what="the tray icon after 32846")

        def controller_shown():
            return any(window_name(s.env, w) == TITLE for w in player_windows(s))
        s.command(32844)  # tray only: the controller (the taskbar button) goes, the icon stays
        wait_until(lambda: not controller_shown(), what="the controller hidden by 32844")
        self.assertTrue(tray_icon(s) and main_window_shown(s))
        s.command(32845)  # taskbar only
        wait_until(lambda: controller_shown() and not tray_icon(s), what="the controller back, the icon gone")
        s.command(32846)
        icon = wait_until(lambda: tray_icon(s), what="the tray icon back")
        before = set(visible_windows(s.env, pid=s.player.pid))
        click(s.env, icon, 8, 8, button=3)
        menu = wait_until(lambda: set(visible_windows(s.env, pid=s.player.pid)) - before, what="the tray menu")
        # Down to the thirteenth item, "전곡 반복" (the submenus and separators are passed over).
        subprocess.run(["xdotool", "key", "--delay", "50"] + ["Down"] * 13 + ["Return"], env=s.env, check=True,
                       timeout=60)
        wait_until(lambda: not (set(visible_windows(s.env, pid=s.player.pid)) & menu), what="the menu closed")
        wait_until(lambda: playerctl(s.env, "loop") == "Playlist", what="repeat all chosen from the menu")
        # Up from the top wraps to the last item: "끝내기".
        click(s.env, icon, 8, 8, button=3)
        wait_until(lambda: set(visible_windows(s.env, pid=s.player.pid)) - before, what="the tray menu again")
        subprocess.run(["xdotool", "key", "--delay", "50", "Up", "Return"], env=s.env, check=True, timeout=60)
        self.assertEqual(s.player.wait(60), 0, s.read_log())


class NoticeTest(unittest.TestCase):
    def test_notice_at_first_minimise_and_never_again_after_ok_with_the_box_ticked(self):
        s = PlayerSession()
        self.addCleanup(s.close)
        s.start()
        s.wait_ready()
        s.wait_window(TITLE)
        done = threading.Event()
        threading.Thread(target=lambda: (s.command(MINIMIZE, timeout=120), done.set()), daemon=True).start()
        notice = s.wait_window("타보라 미니 플레이어")
        # The box sits at the dialog's lower left, OK at its lower right.
        click(s.env, notice, 20, 496)
        click(s.env, notice, 288, 492)
        wait_until(done.is_set, what="the minimise to finish")
        self.assertEqual(s.dword(VIEW[5:], "MiniPlayerInfo"), 1)
        # The next minimise goes straight through.
        s.command(MINIMIZE, timeout=60)
        self.assertFalse(visible_windows(s.env, "타보라 미니 플레이어"))
        self.assertEqual(s.stop(signal.SIGTERM), 0, s.read_log())


if __name__ == "__main__":
    unittest.main(verbosity=2)
