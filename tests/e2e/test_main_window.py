"""The main window driven with real X events: play at the play button's skin position,
hear it, drag the volume slider, use the right-click menu, Space and the seek keys,
close with the close button; the store then holds the window's values. Screenshots of
the playing window are kept in <build>/e2e-artifacts/main_window/."""
import os
import shutil
import subprocess
import unittest
import xml.etree.ElementTree as ET

from audio_analysis import heard_seconds, quieter_than, read_wav, recorded_seconds, sounding_span, tail_level, windows_rms
from tavora_e2e import DesktopActions, PlayerSession, STAGE, visible_windows, wait_until

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"
SIZE = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Size"
ARTIFACTS = os.path.join(os.path.dirname(STAGE), "e2e-artifacts", "main_window")


def skin_rects():
    """ID -> (x, y, w, h) of the installed default skin's main-window elements."""
    path = os.path.join(STAGE, "share", "TavoraPlayer", "skin", "Default", "TavoraSkin.xml")
    rects = {}
    for node in ET.parse(path).getroot().find("MainControl").iter():
        if "ID" in node.attrib and "X" in node.attrib:
            a = node.attrib
            rects.setdefault(a["ID"], (int(a["X"]), int(a["Y"]), int(a["Width"]), int(a["Height"])))
    return rects


def zero_crossing_hz(rate, samples):
    crossings = sum(1 for a, b in zip(samples, samples[1:]) if a < 0 <= b)
    return crossings * rate / len(samples) if samples else 0.0


class MainWindowTest(DesktopActions, unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession(audio="null")
        self.addCleanup(self.s.close)
        self.out = os.path.join(self.s.dir, "heard.wav")
        self.s.env["TAVORA_AUDIO_OUTPUT"] = "wav:" + self.out
        # A rising sweep, 300 Hz to 1100 Hz over 40 s (sox sweeps exponentially: the pitch
        # rises by the same ratio, 1.38, every 10 s): its pitch says where in the file the
        # player is.
        self.tone = os.path.join(self.s.dir, "tone.wav")
        subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", self.tone, "synth", "40",
                        "sine", "300-1100", "vol", "0.5"], check=True)
        # The file is only added at start, so the play button starts it; the main
        # window sits at a known place.
        for key, name, value in [(CONTROL, "StartOpen", 0), (CONTROL, "VolumeValue", 30),
                                 (CONTROL, "RepeatOff", 1), (CONTROL, "RepeatOne", 0), (CONTROL, "RepeatAll", 0),
                                 (SIZE, "Tavora.Size.Left", 200), (SIZE, "Tavora.Size.Top", 150)]:
            self.s.reg("add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value))
        self.rects = skin_rects()

    def main_window(self):
        return self.s.wait_window("TavoraPlayer Main")

    def player_windows(self):
        return set(visible_windows(self.s.env, pid=self.s.player.pid))

    def wait_recorded(self, seconds, what):
        """Waits until the recording has grown by `seconds` (the engine's own clock)."""
        start = recorded_seconds(self.out)
        wait_until(lambda: recorded_seconds(self.out) >= start + seconds, what=what)

    def origin(self, wid):
        out = self.xdo("getwindowgeometry", "--shell", wid)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def at(self, wid, x, y):
        ox, oy = self.origin(wid)
        return str(ox + x), str(oy + y)

    def click(self, wid, x, y, button="1"):
        # X delivers the pointer's events in order: the click lands where the pointer went.
        self.xdo("mousemove", "--sync", *self.at(wid, x, y))
        self.xdo("click", button)

    def centre(self, element):
        x, y, w, h = self.rects[element]
        return x + w // 2, y + h // 2

    def screenshot(self, wid, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, name)
        subprocess.run(["import", "-window", wid, path], env=self.s.env, check=True, timeout=30)
        return path

    def test_play_volume_menu_keys_and_close(self):
        s = self.s
        s.start("-s" + self.tone)
        s.wait_ready()
        wid = self.main_window()
        s.wait_log("argument 1 -s" + self.tone)  # the file is in the list

        # Play at the play button's place in the skin; the volume is changed once a
        # second and a half of the sweep's start has been heard.
        self.click(wid, *self.centre("ID_BTPLAY_DEFAULT"))
        wait_until(lambda: heard_seconds(self.out) >= 1.5, what="the sweep playing", interval=0.2)
        self.screenshot(wid, "playing.png")

        # Drag the volume thumb from 10 to 45 pixels along its 60-pixel track (what it did
        # is checked at the end).
        vx, vy, vw, vh = self.rects["ID_PLAYER_IVOLUMELINE_FULL"]
        thumb = self.rects["ID_PLAYER_BTVOLUMELINE"][2]
        y = vy + vh // 2
        ox, oy = self.origin(wid)
        self.drag((ox + vx + thumb // 2 + 10, oy + y), (ox + vx + thumb // 2 + 45, oy + y), steps=7)
        self.screenshot(wid, "volume.png")

        # Right-click on the logo; the menu opens with nothing chosen, so the
        # eleventh item down is "한곡 반복".
        before = self.player_windows()
        self.click(wid, *self.centre("ID_PLAYER_ROGO"), button="3")
        menu = wait_until(lambda: self.player_windows() - before, what="the menu open")
        self.screenshot("root", "menu.png")
        for _ in range(11):
            self.xdo("key", "Down")
        self.xdo("key", "Return")
        wait_until(lambda: not menu & self.player_windows(), what="the menu closed")

        # Space pauses for a while and resumes; then 10 s forward, 10 s back. The
        # recording must hold enough of each for the analysis below.
        # Focus by the window manager, not by a click: a press on the logo starts a
        # window move, which on a slow machine can still hold the keyboard when the
        # key comes.
        self.xdo("windowactivate", "--sync", wid)
        s.wait_focus(wid)
        # The key takes effect when the player reads it, and sound already mixed still
        # drains: the pause is waited for in the recording itself.
        self.xdo("key", "space")
        wait_until(lambda: quieter_than(tail_level(self.out, 1.2), 0.005), what="a second of silence (paused)")
        self.xdo("key", "space")
        wait_until(lambda: (tail_level(self.out, 0.3) or 0.0) > 0.01, what="sound again after the pause")
        self.wait_recorded(2.0, "playing after the pause")
        self.xdo("key", "Right")
        self.wait_recorded(2.0, "playing after the forward seek")
        self.screenshot(wid, "seek.png")
        self.xdo("key", "Left")
        self.wait_recorded(2.0, "playing after the backward seek")

        # Dragged by its background, the window moves with the pointer.
        before = self.origin(wid)
        lx, ly = self.centre("ID_PLAYER_ROGO")
        self.drag((before[0] + lx, before[1] + ly), (before[0] + lx + 60, before[1] + ly + 40), steps=10)

        def moved():
            at = self.origin(wid)
            return at if abs(at[0] - (before[0] + 60)) + abs(at[1] - (before[1] + 40)) < 12 else None
        geometry = wait_until(moved, timeout=20, what=f"the window moved from {before} by (60, 40)")

        # Close with the close button.
        self.click(wid, *self.centre("ID_BTCLOSE_DEFAULT"))
        self.assertEqual(s.player.wait(30), 0, s.read_log())

        # The store holds the window's values.
        w, h = self.rects["ID_PLAYER_IMAIN"][2:]
        key = r"SOFTWARE\TavoraPlayer\Setting\Size"
        self.assertEqual(s.dword(key, "Main.Size.Left"), geometry[0])
        self.assertEqual(s.dword(key, "Main.Size.Top"), geometry[1])
        self.assertEqual(s.dword(key, "Main.Size.Right"), geometry[0] + w)
        self.assertEqual(s.dword(key, "Main.Size.Bottom"), geometry[1] + h)
        for side in ("Left", "Top", "Right", "Bottom"):
            self.assertEqual(s.dword(key, "Tavora.Size." + side), s.dword(key, "Main.Size." + side))
        control = r"SOFTWARE\TavoraPlayer\Setting\Control"
        self.assertEqual(s.dword(control, "VolumeValue"), 45)
        self.assertEqual(s.dword(control, "Mute"), 0)
        self.assertEqual((s.dword(control, "RepeatOff"), s.dword(control, "RepeatOne"),
                          s.dword(control, "RepeatAll")), (0, 1, 0))
        self.assertIsNotNone(s.dword(control, "Shuttle"))
        self.assertIsNotNone(s.dword(r"SOFTWARE\TavoraPlayer\Setting\View", "List"))

        # What was heard: the sweep, quieter after the drag, a pause, and the seeks.
        rate, samples = read_wav(self.out)
        span = sounding_span(rate, samples)
        self.assertIsNotNone(span, "nothing was heard")
        window = 0.25
        n = int(rate * window)
        pitches, levels = [], windows_rms(rate, samples, window)
        for i in range(0, len(samples) - n + 1, n):
            chunk = samples[i:i + n]
            pitches.append(zero_crossing_hz(rate, chunk) if levels[len(pitches)] > 0.01 else None)
        sounding = [p for p in pitches if p]
        # (the first window may hold only the start of the sound)
        self.assertTrue(280 <= sounding[1] <= 340, f"starts at the sweep's start: {sounding[:4]}")
        # Volume 30/60 -> 45/60 of full scale: the level rises by half.
        loud = [v for v in levels if v > 0.01]
        self.assertGreater(max(loud) / min(loud[:4]), 1.3, "the drag changed the level")
        # The pause: a silent stretch between sounding ones.
        first, last = pitches.index(sounding[0]), len(pitches) - 1 - pitches[::-1].index(sounding[-1])
        gaps = [i for i in range(first, last) if pitches[i] is None]
        self.assertGreaterEqual(len(gaps) * window, 0.75, "Space paused")
        # The seeks: one jump up by 10 s of sweep (a pitch ratio of 1.38, wherever in the
        # file it happens) and one down. Each window's pitch is compared as the median of
        # the four before it against the four after it, so a jump inside a window still
        # counts whole and a window or two garbled by a busy machine (an output underrun)
        # does not hide it.
        def median_of(values):
            values = sorted(v for v in values if v)
            return values[len(values) // 2] if len(values) >= 3 else None

        steps = []
        for i in range(4, len(pitches) - 4):
            before, after = median_of(pitches[i - 4:i]), median_of(pitches[i + 1:i + 5])
            if before and after:
                steps.append(after / before)
        self.assertTrue(any(1.3 <= r <= 1.5 for r in steps), f"no forward seek in {steps}")
        self.assertTrue(any(1 / 1.5 <= r <= 1 / 1.3 for r in steps), f"no backward seek in {steps}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
