"""The player registers its file types at start, and the desktop's own tools use them:
a song opened from the desktop plays in the running player, the "Enqueue" action adds
without playing, and playlists open as lists."""
import os
import re
import shlex
import signal
import subprocess
import tempfile
import unittest

from audio_analysis import frequency, heard_seconds, read_recording
from tavora_e2e import STAGE, PlayerSession, binary, playerctl, wait_until

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"
PLAYLIST = r"SOFTWARE\TavoraPlayer\PlayList"


def make_tone(path, seconds, freq):
    subprocess.run(["sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", str(seconds),
                    "sine", str(freq), "vol", "0.5"], check=True)


def action_command(entry_text, action, path):
    """The command a launcher runs for `action` of the entry on one file: the Exec
    value unescaped, split by its quoting, %f replaced by the path."""
    section = None
    for line in entry_text.splitlines():
        if line.startswith("["):
            section = line
        elif section == f"[Desktop Action {action}]" and line.startswith("Exec="):
            value = line[5:].replace("\\\\", "\\")
            return [arg.replace("%f", path) for arg in shlex.split(value)]
    raise AssertionError(f"no Exec for the action {action}")


class AssociationsTest(unittest.TestCase):
    def setUp(self):
        self.media = tempfile.mkdtemp(prefix="tavora-media-")
        self.wav = os.path.join(self.media, "heard.wav")
        self.s = PlayerSession(audio="wav:" + self.wav)
        self.addCleanup(self.s.close)
        self.data = self.s.env["XDG_DATA_HOME"]
        self.config = self.s.env["XDG_CONFIG_HOME"]
        # The desktop looks only at the session's own folders and the system's.
        self.s.env["XDG_DATA_DIRS"] = "/usr/local/share:/usr/share"
        for name in ("XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"):
            self.s.env.pop(name, None)
        self.s.reg("add", CONTROL, "/v", "CrossFade", "/t", "REG_DWORD", "/d", "0")

    def tool(self, *args):
        return subprocess.run(list(args), env=self.s.env, capture_output=True, text=True, timeout=120)

    def stored_paths(self):
        count = self.s.dword(PLAYLIST + "\\Count", "ListCount") or 0
        return [self.s.string(PLAYLIST + "\\Path", str(i)) for i in range(count)]

    def test_the_desktop_opens_songs_and_lists_with_the_running_player(self):
        self.s.start()
        self.s.wait_ready()
        entry = os.path.join(self.data, "applications", "tavoraplayer.desktop")
        self.assertTrue(os.path.exists(entry))
        for mime, handler in (("audio/mpeg", "tavoraplayer.desktop"), ("audio/x-wav", "tavoraplayer.desktop"),
                              ("audio/x-mpegurl", "tavoraplayer-m3u.desktop"),
                              ("audio/x-scpls", "tavoraplayer-pls.desktop")):
            self.assertEqual(self.tool("xdg-mime", "query", "default", mime).stdout, handler + "\n", mime)
            report = self.tool("desktop-file-validate", os.path.join(self.data, "applications", handler))
            self.assertEqual((report.returncode, report.stdout), (0, ""), report.stderr)
        # The pictures the player carries reached the user's icon theme.
        for icon in ("48x48/mimetypes/tavoraplayer-mp3.png", "256x256/mimetypes/tavoraplayer-pls.png",
                     "32x32/apps/tavoraplayer.png"):
            self.assertTrue(os.path.exists(os.path.join(self.data, "icons", "hicolor", icon)), icon)
        query = self.s.reg("query", r"HKCR\tavora.mp3\shell\open\command").stdout
        self.assertIn('tavoraplayer" -s%1', query)

        # A song whose name has spaces and Korean letters, opened as a file manager does.
        song = os.path.join(self.media, "첫 번째 곡 (live).wav")
        make_tone(song, 6, 440)
        opened = self.tool("gio", "open", song)
        self.assertEqual(opened.returncode, 0, opened.stderr)
        wait_until(lambda: playerctl(self.s.env, "status") == "Playing", what="MPRIS to say Playing")
        wait_until(lambda: heard_seconds(self.wav) >= 1.0, what="the song heard", interval=0.2)

        # "Enqueue" adds the second song; the first one goes on playing.
        second = os.path.join(self.media, "둘째 곡.wav")
        make_tone(second, 1, 880)
        with open(entry, encoding="utf-8") as f:
            command = action_command(f.read(), "Enqueue", second)
        self.assertEqual(subprocess.run(command, env=self.s.env, timeout=120).returncode, 0)
        self.s.wait_log(f"argument 2 -add{second}")
        rate, heard = read_recording(self.wav)
        self.assertAlmostEqual(frequency(rate, heard[-int(0.3 * rate):]), 440, delta=10)

        # Playlists open as lists.
        listed = os.path.join(self.media, "m3u 곡.wav")
        make_tone(listed, 1, 660)
        m3u = os.path.join(self.media, "내 목록.m3u")
        with open(m3u, "w", encoding="utf-8") as f:
            f.write(listed + "\n")
        pls_song = os.path.join(self.media, "pls 곡.wav")
        make_tone(pls_song, 1, 550)
        pls = os.path.join(self.media, "방송 목록.pls")
        with open(pls, "w", encoding="utf-8") as f:
            f.write(f"[playlist]\nFile1={pls_song}\nTitle1=pls\nNumberOfEntries=1\nVersion=2\n")
        for path, switch, number in ((m3u, "-list", 3), (pls, "-pls", 4)):
            opened = self.tool("gio", "open", path)
            self.assertEqual(opened.returncode, 0, opened.stderr)
            self.s.wait_log(f"argument {number} {switch}{path}")

        self.assertEqual(self.s.stop(signal.SIGTERM), 0, self.s.read_log())
        stored = self.stored_paths()
        for path in (song, second, listed, pls_song):
            self.assertIn(path, stored)
        self.assertNotIn(m3u, stored)
        self.assertNotIn(pls, stored)

    def test_the_install_puts_the_player_in_the_menu(self):
        entry = os.path.join(STAGE, "share", "applications", "tavoraplayer.desktop")
        report = self.tool("desktop-file-validate", entry)
        self.assertEqual((report.returncode, report.stdout), (0, ""), report.stderr)
        with open(entry, encoding="utf-8") as f:
            self.assertIn(f'Exec="{binary("tavoraplayer")}" -s%f', f.read())
        self.assertTrue(os.path.exists(os.path.join(STAGE, "share", "icons", "hicolor", "48x48", "apps",
                                                    "tavoraplayer.png")))
        self.assertTrue(os.path.exists(os.path.join(STAGE, "share", "man", "man1", "tavoraplayer.1")))
        # --help and --version answer without a display and start no player.
        env = {k: v for k, v in self.s.env.items() if k != "DISPLAY"}
        for option, start in (("--version", "tavoraplayer "), ("--help", "Usage: tavoraplayer")):
            out = subprocess.run([binary("tavoraplayer"), option], env=env, capture_output=True, text=True,
                                 timeout=30)
            self.assertEqual(out.returncode, 0, out.stderr)
            self.assertTrue(out.stdout.startswith(start), out.stdout)
        self.assertFalse(os.path.exists(self.s.socket_path()))

    def test_auto_connect_off_registers_nothing_at_start(self):
        self.s.reg("add", CONTROL, "/v", "AutoConnect", "/t", "REG_DWORD", "/d", "0")
        self.s.start()
        self.s.wait_ready()
        self.assertFalse(os.path.exists(os.path.join(self.data, "applications", "tavoraplayer.desktop")))
        self.assertNotIn("tavora.mp3", self.s.reg("query", r"HKCR\.mp3").stdout)


if __name__ == "__main__":
    unittest.main()
