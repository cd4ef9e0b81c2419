"""A player whose install lacks its engine module fetches it from the update server in
the download window at start-up, installs it, and then plays."""
import functools
import http.server
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import unittest

from audio_analysis import quiet_after_sound, read_wav, sounding_span
from tavora_e2e import STAGE, PlayerSession, wait_until
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
        gate, requests = self.gate, self.requests

        class Handler(http.server.SimpleHTTPRequestHandler):
            def do_GET(self):
                if self.path.startswith("/AutoUpdate/system/"):
                    requests.append(self.path)
                gate.wait(120)
                super().do_GET()

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.base = f"http://127.0.0.1:{self.server.server_address[1]}"

    def close(self):
        self.gate.set()
        self.server.shutdown()
        self.server.server_close()


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
        self.assertEqual(self.server.requests, ["/AutoUpdate/system/" + n
                                                for n in ("bass.so", "bass_fx.so", "basscd.so", "basswma.so")])
        self.assertTrue(os.path.isfile(os.path.join(self.install, "system", "bass.so")))
        wait_until(lambda: quiet_after_sound(self.wav, 0.3), what="the tone played", interval=0.3)
        self.assertEqual(self.s.stop(signal.SIGTERM), 0, self.s.read_log())
        rate, heard = read_wav(self.wav)
        self.assertIsNotNone(sounding_span(rate, heard), "nothing was heard")


if __name__ == "__main__":
    unittest.main()
