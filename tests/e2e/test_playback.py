"""The installed player plays files handed to it, and what it plays is what a user
would hear: checked in the recording of its wav: output."""
import os
import shlex
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

from audio_analysis import (frequency, heard_seconds, quiet_after_sound, read_wav, recorded_seconds, rms,
                            sounding_span, windows_rms)
from tavora_e2e import PlayerSession, wait_until

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"
PLAY, STOP, VOLUME_UP = 32773, 32777, 32791


def make_tone(path, seconds, freq=440, amplitude=0.5):
    subprocess.run(["sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", str(seconds),
                    "sine", str(freq), "vol", str(amplitude)], check=True)


def start_icy_server():
    """The loopback Icecast rig of scripts/icy: its variables, or None without icecast2."""
    if not (shutil.which("icecast2") and shutil.which("ezstream")):
        return None
    scripts = os.path.join(os.environ["TAVORA_SOURCE_DIR"], "scripts", "icy")
    out = subprocess.run(["bash", os.path.join(scripts, "start-icy-server.sh")], capture_output=True, text=True,
                         env={**os.environ, "ICY_SONG_SECONDS": "6"})
    if out.returncode != 0:
        return None
    env = {}
    for line in out.stdout.splitlines():
        if line.startswith("export ") and "=" in line:
            name, value = line[7:].split("=", 1)
            env[name] = shlex.split(value)[0] if value else ""
    env["stop"] = lambda: subprocess.run(["bash", os.path.join(scripts, "stop-icy-server.sh"), env["ICY_RUNDIR"]],
                                         capture_output=True)
    return env


class PlaybackTest(unittest.TestCase):
    def setUp(self):
        self.media = tempfile.mkdtemp(prefix="tavora-media-")

    def session(self, cross_fade):
        wav = os.path.join(self.media, f"heard-{time.time_ns()}.wav")
        s = PlayerSession(audio="wav:" + wav)
        self.addCleanup(s.close)
        s.reg("add", CONTROL, "/v", "CrossFade", "/t", "REG_DWORD", "/d", str(cross_fade))
        return s, wav

    def finish(self, s, wav):
        self.assertEqual(s.stop(signal.SIGTERM), 0, s.read_log())
        return read_wav(wav)

    def test_a_handed_file_plays_at_its_pitch_and_length_at_half_volume(self):
        tone = os.path.join(self.media, "tone 한글.wav")
        make_tone(tone, 2.0)
        s, wav = self.session(cross_fade=0)
        s.start("-s" + tone)
        s.wait_ready()
        wait_until(lambda: quiet_after_sound(wav, 0.5), what="the whole tone played", interval=0.3)
        rate, heard = self.finish(s, wav)
        span = sounding_span(rate, heard)
        self.assertIsNotNone(span, "nothing was heard")
        self.assertAlmostEqual(span[1] - span[0], 2.0, delta=0.2)
        middle = heard[int((span[0] + 0.5) * rate):int((span[0] + 1.5) * rate)]
        self.assertAlmostEqual(frequency(rate, middle), 440, delta=5)
        # The stored volume 25 is a share of the skin's volume slider: quieter than the
        # file, never silent.
        self.assertGreater(rms(middle), 0.05)
        self.assertLess(rms(middle), 0.5 / 2 ** 0.5)
        # The playlist row got the file's real length from the title pass.
        self.assertIn("argument 1 -s" + tone, s.read_log())

    def test_stop_fades_out_with_cross_fade_and_cuts_without(self):
        tone = os.path.join(self.media, "long.wav")
        make_tone(tone, 8.0)
        results = {}
        for cross_fade in (1, 0):
            s, wav = self.session(cross_fade)
            s.start("-s" + tone)
            s.wait_ready()
            wait_until(lambda: heard_seconds(wav) >= 1.0, what="a second of the tone", interval=0.2)
            started = time.monotonic()
            s.command(STOP)
            results[cross_fade] = time.monotonic() - started
            wait_until(lambda: quiet_after_sound(wav, 0.5, threshold=0.005), what="quiet after the stop",
                       interval=0.2)
            rate, heard = self.finish(s, wav)
            span = sounding_span(rate, heard, threshold=0.005, window_s=0.02)
            self.assertIsNotNone(span)
            end = int(span[1] * rate)
            last = windows_rms(rate, heard[end - int(0.5 * rate):end], 0.05)
            if cross_fade:
                # The last half second falls steadily from full level to silence.
                self.assertGreater(last[0], 0.12)
                self.assertLess(last[-1], last[0] / 3)
            else:
                self.assertGreater(min(last), 0.12)  # full level up to the cut
        # Stop waits for its half-second fade with cross-fade on (a lower bound: a slow
        # machine only makes it longer). Without it the cut above shows it does not fade.
        self.assertGreater(results[1], 0.45)

    def test_pause_and_resume_continue_where_they_stopped(self):
        first = os.path.join(self.media, "a.wav")
        second = os.path.join(self.media, "b.wav")
        both = os.path.join(self.media, "two tones.wav")
        make_tone(first, 1.5, 440)
        make_tone(second, 1.5, 880)
        subprocess.run(["sox", first, second, both], check=True)
        s, wav = self.session(cross_fade=0)
        s.start("-s" + both)
        s.wait_ready()
        wait_until(lambda: heard_seconds(wav) >= 0.8, what="0.8 s of the first tone", interval=0.1)
        s.command(PLAY)  # pause
        # The pause must last: wait for a second more of the (silent) recording.
        paused_at = recorded_seconds(wav)
        wait_until(lambda: recorded_seconds(wav) >= paused_at + 1.0, what="a second of pause")
        s.command(PLAY)  # resume
        resumed_at = recorded_seconds(wav)
        wait_until(lambda: quiet_after_sound(wav, 0.3, since=resumed_at), what="the rest of both tones",
                   interval=0.3)
        rate, heard = self.finish(s, wav)
        levels = windows_rms(rate, heard, 0.05)
        loud = [i for i, v in enumerate(levels) if v > 0.01]
        self.assertTrue(loud)
        gaps = [b - a for a, b in zip(loud, loud[1:]) if b - a > 1]
        self.assertEqual(len(gaps), 1, "one pause")
        self.assertGreaterEqual(gaps[0] * 0.05, 0.7)
        # All of both tones was heard once: 3 s of sound besides the pause.
        self.assertAlmostEqual(len(loud) * 0.05, 3.0, delta=0.35)
        tail = heard[int((loud[-1] * 0.05 - 0.8) * rate):int((loud[-1] * 0.05 - 0.2) * rate)]
        self.assertAlmostEqual(frequency(rate, tail), 880, delta=10)

    def test_volume_up_raises_the_level(self):
        tone = os.path.join(self.media, "tone.wav")
        make_tone(tone, 6.0)
        s, wav = self.session(cross_fade=0)
        s.start("-s" + tone)
        s.wait_ready()
        wait_until(lambda: heard_seconds(wav) >= 1.2, what="1.2 s of the tone", interval=0.2)
        for _ in range(5):
            s.command(VOLUME_UP)  # 25 -> 40 of 50
        raised_at = heard_seconds(wav)
        wait_until(lambda: heard_seconds(wav) >= raised_at + 1.2, what="1.2 s at the new volume", interval=0.2)
        rate, heard = self.finish(s, wav)
        span = sounding_span(rate, heard)
        before = rms(heard[int((span[0] + 0.3) * rate):int((span[0] + 1.0) * rate)])
        after = rms(heard[int((span[1] - 1.0) * rate):int((span[1] - 0.3) * rate)])
        self.assertAlmostEqual(after / before, 80 / 50, delta=0.08)

    def test_a_handed_radio_address_is_heard(self):
        icy = start_icy_server()
        if icy is None:
            self.skipTest("no Icecast test server (icecast2/ezstream) on this machine")
        self.addCleanup(icy["stop"])
        s, wav = self.session(cross_fade=0)
        s.start("-s" + icy["ICY_MP3_URL"])
        s.wait_ready()
        # The player answers while the address opens off its UI thread.
        self.assertEqual(s.command(32865), 0)  # "InsertItem": no action
        # Four seconds of output recorded (the wav: output is paced in real time),
        # whatever was playing meanwhile.
        wait_until(lambda: os.path.getsize(wav) >= 44 + 4 * 44100 * 4, what="four seconds recorded", interval=0.2)
        rate, heard = self.finish(s, wav)
        span = sounding_span(rate, heard)
        self.assertIsNotNone(span, "the radio was not heard")
        # The station's songs are tones of 440 and 660 Hz; half a second in the middle
        # of what was heard is one of them (MP3 coding blurs it a little).
        centre = (span[0] + span[1]) / 2
        middle = heard[int((centre - 0.25) * rate):int((centre + 0.25) * rate)]
        self.assertGreater(span[1] - span[0], 1.0, "heard for more than a moment")
        self.assertGreater(rms(middle), 0.01)
        self.assertTrue(any(abs(frequency(rate, middle) - f) < 30 for f in (440, 660)), frequency(rate, middle))


if __name__ == "__main__":
    unittest.main(verbosity=2)
