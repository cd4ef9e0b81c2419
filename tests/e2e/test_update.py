"""A player whose install lacks its engine module fetches it from the update server in
the download window at start-up, installs it, and then plays. A TERM signal ends the
player while the window or its failure message is up, and what a killed run left half
fetched is gone at the next start."""
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import unittest

from audio_analysis import quiet_after_sound, read_wav, sounding_span
from hostile_servers import HostileServer
from tavora_e2e import STAGE, FolderServer, PlayerSession, sign_update_files, visible_windows, wait_until
from test_playback import make_tone

SHARE = os.path.join(STAGE, "share", "TavoraPlayer")
ARTIFACTS = os.path.join(os.path.dirname(STAGE), "e2e-artifacts", "update")
TITLE = "타보라플레이어 필수 파일 다운로드"


class GatedServer:
    """Serves a folder on loopback; every request waits until the gate opens, so the
    window stays up while the test looks at it. The modules asked for are noted."""

    def __init__(self, folder):
        self.gate = threading.Event()
        self.requests = []

        def before_get(path):
            if path.startswith("/AutoUpdate/system/"):
                self.requests.append(path)
            self.gate.wait(120)

        self.server = FolderServer(folder, before_get)
        self.base = self.server.base

    def close(self):
        self.gate.set()
        self.server.close()


class TricklingServer(HostileServer):
    """Answers every request with a long file sent two bytes a second, for at most two
    minutes: a download that would take for ever."""

    def serve(self, conn):
        self.read_request(conn)
        conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: 1000000\r\n\r\n")
        for _ in range(240):
            if self.stopped.wait(0.5):
                return
            conn.sendall(b"x")
        conn.close()


def leftovers(folder):
    """The hidden files of a download in progress (or of one that was killed)."""
    try:
        return sorted(n for n in os.listdir(folder) if n.startswith("."))
    except FileNotFoundError:
        return []


class UpdateTest(unittest.TestCase):
    def setUp(self):
        media = tempfile.mkdtemp(prefix="tavora-media-")
        self.addCleanup(shutil.rmtree, media, True)
        self.wav = os.path.join(media, "heard.wav")
        self.s = PlayerSession(audio="wav:" + self.wav)
        self.addCleanup(self.s.close)
        # An install folder of its own: the installed files, but "system" without bass.so.
        self.install = os.path.join(self.s.dir, "install")
        system = os.path.join(self.install, "system")
        os.makedirs(system)
        for name in os.listdir(SHARE):
            if name != "system":
                os.symlink(os.path.join(SHARE, name), os.path.join(self.install, name))
        for name in os.listdir(os.path.join(SHARE, "system")):
            if name != "bass.so":
                os.symlink(os.path.join(SHARE, "system", name), os.path.join(system, name))
        # The update server offers the installed modules.
        served = os.path.join(self.s.dir, "served", "AutoUpdate", "system")
        os.makedirs(served)
        for name in os.listdir(os.path.join(SHARE, "system")):
            os.symlink(os.path.join(SHARE, "system", name), os.path.join(served, name))
        sign_update_files(*(os.path.join(served, n) for n in os.listdir(served)))
        self.server = GatedServer(os.path.join(self.s.dir, "served"))
        self.addCleanup(self.server.close)
        self.s.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "Install_Dir", "/t", "REG_SZ", "/d", self.install)
        self.s.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "UpdateServer", "/t", "REG_SZ",
                   "/d", self.server.base)

    def test_the_missing_engine_is_fetched_installed_and_plays(self):
        tone = os.path.join(self.s.dir, "tone.wav")
        make_tone(tone, 1.0)
        self.s.start("-s" + tone)
        dialog = wait_until(lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$"], env=self.s.env, capture_output=True,
            text=True, timeout=30).stdout.split(), what="the download window")[0]
        wait_until(lambda: self.server.requests, what="the first download")
        self.assertEqual(self.server.requests, ["/AutoUpdate/system/bass.so"])
        os.makedirs(ARTIFACTS, exist_ok=True)
        subprocess.run(["import", "-window", dialog, os.path.join(ARTIFACTS, "update-download.png")],
                       env=self.s.env, check=True, timeout=30)
        self.server.gate.set()
        self.s.wait_ready()
        # Each module, then its signature.
        self.assertEqual(self.server.requests, ["/AutoUpdate/system/" + n + sig
                                                for n in ("bass.so", "bass_fx.so", "basscd.so", "basswma.so")
                                                for sig in ("", ".sig")])
        self.assertTrue(os.path.isfile(os.path.join(self.install, "system", "bass.so")))
        wait_until(lambda: quiet_after_sound(self.wav, 0.3), what="the tone played", interval=0.3)
        self.assertEqual(self.s.stop(signal.SIGTERM), 0, self.s.read_log())
        rate, heard = read_wav(self.wav)
        self.assertIsNotNone(sounding_span(rate, heard), "nothing was heard")

    def use_server(self, base):
        self.s.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "UpdateServer", "/t", "REG_SZ", "/d", base)

    def test_term_ends_the_download_and_a_killed_runs_leftovers_go_at_the_next_start(self):
        trickle = TricklingServer()
        self.addCleanup(trickle.stop)
        self.use_server(f"http://127.0.0.1:{trickle.port}")
        temp = os.path.join(self.install, "UpdateTemp")
        self.s.start()
        self.s.wait_window(TITLE)
        killed = wait_until(lambda: leftovers(temp), what="the download's temporary file")
        self.s.player.kill()
        self.s.player.wait()
        self.assertEqual(leftovers(temp), killed)
        # A module a killed run had staged but not yet put in place.
        staged = os.path.join(self.install, "system", "bass.so.new")
        with open(staged, "wb") as f:
            f.write(b"half")
        # The next start clears them away before it fetches anew.
        self.s.start()
        self.s.wait_window(TITLE)
        wait_until(lambda: trickle.accepted >= 2, what="the second run's download")
        wait_until(lambda: not set(killed) & set(leftovers(temp)), what="the killed run's files removed")
        self.assertFalse(os.path.exists(staged))
        self.assertEqual(self.s.stop(signal.SIGTERM), 0, self.s.read_log())
        self.assertEqual(leftovers(temp), [])
        self.assertFalse(os.path.exists(os.path.join(self.install, "system", "bass.so")))

    def test_term_ends_the_player_while_the_failure_message_is_up(self):
        os.remove(os.path.join(self.s.dir, "served", "AutoUpdate", "system", "bass.so"))
        self.server.gate.set()
        self.s.start()
        wait_until(lambda: visible_windows(self.s.env, "TavoraPlayer"), what="the download failure message")
        self.assertIn("could not be fetched", self.s.read_log())
        self.assertEqual(self.s.stop(signal.SIGTERM), 0, self.s.read_log())


if __name__ == "__main__":
    unittest.main()
