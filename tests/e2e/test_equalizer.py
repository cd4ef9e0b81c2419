"""The equaliser window driven with real X events: opened with the main window's
equaliser button, a preset chosen from its menu, a band slider and the master slider
dragged (the sound server's sink volume follows, and a change made with pactl moves the
master slider back); after a restart the gains come back. A picture of the open window
is kept in <build>/e2e-artifacts/equalizer/."""
import os
import re
import subprocess
import unittest
import xml.etree.ElementTree as ET

from tavora_e2e import DesktopActions, PlayerSession, STAGE, visible_windows, wait_until

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"
VIEW = r"HKLM\SOFTWARE\TavoraPlayer\Setting\View"
SIZE = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Size"
PRESETS = r"SOFTWARE\TavoraPlayer\Setting\Control\EqulizerPreset"
ARTIFACTS = os.path.join(os.path.dirname(STAGE), "e2e-artifacts", "equalizer")
# "소프트", the fifteenth item of the presets menu: 60 Hz .. 16 kHz.
SOFT = [3, 2, 0, -2, 0, 2, 3, 4, 5, 6]


def skin_rects(section):
    path = os.path.join(STAGE, "share", "TavoraPlayer", "skin", "Default", "TavoraSkin.xml")
    rects = {}
    for node in ET.parse(path).getroot().find(section).iter():
        a = node.attrib
        if "ID" in a and "X" in a:
            rects.setdefault(a["ID"], (int(a["X"]), int(a["Y"]), int(a["Width"]), int(a["Height"])))
    return rects


class EqualizerTest(DesktopActions, unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession(audio="null")
        self.addCleanup(self.s.close)
        for key, name, value in [(CONTROL, "StartOpen", 0), (VIEW, "Equalizer", 0),
                                 (SIZE, "Tavora.Size.Left", 100), (SIZE, "Tavora.Size.Top", 200)]:
            self.s.reg("add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value))
        self.main = skin_rects("MainControl")
        self.eq = skin_rects("Equalizer")

    def pactl(self, *args):
        return subprocess.run(["pactl", *args], env=self.s.env, capture_output=True, text=True,
                              timeout=30).stdout

    def sink_percent(self):
        m = re.search(r"(\d+)%", self.pactl("get-sink-volume", "@DEFAULT_SINK@"))
        return int(m.group(1)) if m else None

    def eq_point(self, wid, element, dy=None):
        """Screen point of an equaliser element's centre; X counts from the right edge."""
        x, y, w, h = self.eq[element]
        ox, oy, width, _ = self.geometry(wid)
        return ox + width - x + w // 2, oy + (y + h // 2 if dy is None else dy)

    def snap(self, wid):
        return subprocess.run(["import", "-window", wid, "rgb:-"], env=self.s.env, capture_output=True,
                              timeout=30).stdout

    def exit_player(self):
        self.s.command(32781)
        self.assertEqual(self.s.player.wait(30), 0, self.s.read_log())

    def stored_gains(self):
        """The stored gains as signed numbers (None where missing)."""
        values = [self.s.dword(PRESETS, str(i)) for i in range(1, 11)]
        return [v - (1 << 32) if v is not None and v >= 1 << 31 else v for v in values]

    def test_open_choose_drag_and_restore(self):
        s = self.s
        self.pactl("set-sink-volume", "@DEFAULT_SINK@", "100%")
        s.start()
        s.wait_ready()
        main = s.wait_window("TavoraPlayer Main")
        mx, my, mw, mh = self.geometry(main)
        bx, by, bw, bh = self.main["ID_BTEQON_DEFAULT"]
        self.xdo("mousemove", "--sync", str(mx + bx + bw // 2), str(my + by + bh // 2))
        self.xdo("click", "1")
        eq = s.wait_window("TavoraPlayer Equalizer")
        full = self.eq["ID_EQ_IMAIN"][2]
        wait_until(lambda: self.geometry(eq)[2] == full, what="the equaliser slid open")
        ex, ey, ew, eh = self.geometry(eq)
        self.assertEqual(ex, mx + mw)
        self.assertEqual(ey, my + (mh - eh) // 2)
        os.makedirs(ARTIFACTS, exist_ok=True)
        subprocess.run(["import", "-window", eq, os.path.join(ARTIFACTS, "open.png")], env=s.env, timeout=30)

        # The window takes the focus with a click on its face (nothing there), as a user's
        # first click would give it.
        self.xdo("mousemove", "--sync", str(ex + 4), str(ey + eh - 3))
        self.xdo("click", "1")
        s.wait_focus(eq)

        # The presets menu: the fifteenth item is "소프트".
        before = set(visible_windows(s.env, pid=s.player.pid))
        px, py = self.eq_point(eq, "ID_EQ_BTPRESETS")
        self.xdo("mousemove", "--sync", str(px), str(py))
        self.xdo("click", "1")
        wait_until(lambda: set(visible_windows(s.env, pid=s.player.pid)) - before, what="the presets menu open")
        for _ in range(15):
            self.xdo("key", "Down")
        self.xdo("key", "Return")

        # The 60 Hz slider (the tenth) dragged to its bottom: below -12 dB.
        top = self.eq["ID_EQ_BTLINE_EMPTY"][1]
        length = self.eq["ID_EQ_BTLINE_FULL"][3]
        x60, _ = self.eq_point(eq, "ID_EQ_BTCONTROLL10")
        self.drag((x60, ey + top + 2), (x60, ey + top + length + 30), steps=5)

        # The master slider dragged half-way: the sink follows.
        xm, _ = self.eq_point(eq, "ID_EQ_BTCONTROLL11")
        thumb = self.eq["ID_EQ_BTLINE"][3]
        half = (length + thumb // 2) // 2
        self.drag((xm, ey + top + 1), (xm, ey + top + half), steps=5)
        wait_until(lambda: 40 <= (self.sink_percent() or 0) <= 60, what="the sink at about half volume")
        subprocess.run(["import", "-window", eq, os.path.join(ARTIFACTS, "soft.png")], env=s.env, timeout=30)

        # Another program sets the sink: the master slider follows (its value is stored).
        wait_until(lambda: self.snap(eq) == self.snap(eq), what="the window painted")
        dragged = self.snap(eq)
        self.pactl("set-sink-volume", "@DEFAULT_SINK@", "30%")
        wait_until(lambda: self.snap(eq) != dragged, what="the master slider moved")
        self.exit_player()
        gains = self.stored_gains()
        self.assertEqual(gains[1:], SOFT[1:])
        self.assertLess(gains[0], -12)
        self.assertEqual(s.dword(PRESETS, "mod"), 15)
        self.assertTrue(abs(s.dword(PRESETS, "11") - 65535 * 30 // 100) < 700, s.dword(PRESETS, "11"))
        self.assertEqual(s.dword(VIEW[5:], "Equalizer"), 1)

        # Restarted, the window comes back open with the same gains, which it stores again.
        s.start()
        s.wait_ready()
        eq = s.wait_window("TavoraPlayer Equalizer")
        wait_until(lambda: self.geometry(eq)[2] == full, what="the equaliser open at start")
        for i in range(1, 11):
            s.reg("delete", "HKLM\\" + PRESETS, "/v", str(i), "/f")
        self.exit_player()
        self.assertEqual(self.stored_gains(), gains)


if __name__ == "__main__":
    unittest.main()
