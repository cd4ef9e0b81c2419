"""The playlist window driven with real X events: files and a folder dropped from a
drag source (XDND), rows reordered by dragging, a row deleted with the Delete key, the
wheel, the resize grip, docking below the main window and following it; after exit and
restart the playlist and the window's rectangle come back. Screenshots are kept in
<build>/e2e-artifacts/playlist_window/."""
import os
import subprocess
import unittest
import xml.etree.ElementTree as ET

from tavora_e2e import DesktopActions, DragSource, PlayerSession, STAGE, wait_until

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"
VIEW = r"HKLM\SOFTWARE\TavoraPlayer\Setting\View"
SIZE = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Size"
BUILD = os.path.dirname(STAGE)
ARTIFACTS = os.path.join(BUILD, "e2e-artifacts", "playlist_window")
ROW = 16


def list_skin():
    path = os.path.join(STAGE, "share", "TavoraPlayer", "skin", "Default", "TavoraSkin.xml")
    rects = {}
    for node in ET.parse(path).getroot().iter():
        a = node.attrib
        if "ID" in a and "X" in a and "Width" in a:
            rects.setdefault(a["ID"], (int(a["X"]), int(a["Y"]), int(a["Width"]), int(a["Height"])))
    return rects


class PlaylistWindowTest(DesktopActions, unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession(audio="null")
        self.addCleanup(self.s.close)
        for key, name, value in [(CONTROL, "StartOpen", 0), (CONTROL, "BeginPlay", 0), (VIEW, "List", 1),
                                 (SIZE, "Tavora.Size.Left", 300), (SIZE, "Tavora.Size.Top", 80)]:
            self.s.reg("add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value))
        self.skin = list_skin()
        # A folder of 30 short songs and two loose ones.
        self.media = os.path.join(self.s.dir, "media")
        self.album = os.path.join(self.media, "Album")
        os.makedirs(self.album)
        names = [os.path.join(self.album, "track%02d.wav" % i) for i in range(30)]
        self.loose = [os.path.join(self.media, n) for n in ("loose-a.wav", "loose-b.wav")]
        for path in names + self.loose:
            subprocess.run(["sox", "-n", "-r", "8000", "-c", "1", "-b", "16", path, "synth", "0.3", "sine", "440"],
                           check=True)

    # --- X helpers ---------------------------------------------------------------
    def window(self, title):
        return self.s.wait_window(title)

    def wait_geometry(self, wid, expected, what, part=slice(None)):
        """Waits until the window's geometry (or the `part` of it) is `expected`."""
        try:
            wait_until(lambda: self.geometry(wid)[part] == expected, timeout=20, what=what)
        except AssertionError:
            self.assertEqual(self.geometry(wid)[part], expected, what)

    def screenshot(self, wid, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        subprocess.run(["import", "-window", wid, os.path.join(ARTIFACTS, name)], env=self.s.env, check=True,
                       timeout=30)

    def settle(self, wid, timeout=60):
        """Waits until the window's picture stops changing (the folder scan and the
        title pass add and retitle rows on workers, a restart restores them)."""
        seen = {"last": None, "same": 0}

        def still():
            picture = subprocess.run(["import", "-window", wid, "rgb:-"], env=self.s.env, capture_output=True,
                                     timeout=30).stdout
            seen["same"] = seen["same"] + 1 if picture == seen["last"] else 0
            seen["last"] = picture
            return seen["same"] >= 3
        wait_until(still, timeout, "the playlist window to stop changing", interval=0.5)

    def list_origin(self, wid):
        """Screen position of the list's first row."""
        x, y, _, _ = self.geometry(wid)
        left = self.skin["ID_LIST_ILEFTCENTERDOT"][2]
        top = self.skin["ID_LIST_ILISTSCROLLTOP"][1] + self.skin["ID_LIST_ILISTSCROLLTOP"][3]
        return x + left, y + top

    def row_point(self, wid, row):
        lx, ly = self.list_origin(wid)
        return lx + 60, ly + row * ROW + ROW // 2

    def saved_titles(self):
        count = self.s.dword(r"SOFTWARE\TavoraPlayer\PlayList\Count", "ListCount") or 0
        return [self.s.string(r"SOFTWARE\TavoraPlayer\PlayList\Name", str(i)) for i in range(count)]

    def saved_rect(self):
        return tuple(self.s.dword(r"SOFTWARE\TavoraPlayer\Setting\Size", "List.Size." + n)
                     for n in ("Left", "Top", "Right", "Bottom"))

    # --- The test ------------------------------------------------------------------
    def test_drop_reorder_delete_scroll_resize_dock_and_restart(self):
        s = self.s
        s.start()
        s.wait_ready()
        main = self.window("TavoraPlayer Main")
        plist = self.window("TavoraPlayer List")
        self.settle(plist)

        # Undock first: put the list well away from the main window.
        px, py, pw, ph = self.geometry(plist)
        self.drag((px + pw // 2, py + 6), (px + pw // 2 + 40, py + 260))
        wait_until(lambda: self.geometry(plist)[:2] != (px, py), timeout=20, what="the list undocked")
        px, py, pw, ph = self.geometry(plist)

        # 1. Drop the folder and the two loose files from the drag source.
        source = DragSource(s.env, [self.album, *self.loose])
        src = self.window("TavoraDragSource")
        sx, sy, sw, sh = self.geometry(src)
        self.drag((sx + sw // 2, sy + sh // 2), self.row_point(plist, 2), steps=25, accepted=source.accepted)
        self.assertIn("dropped 1", source.result())  # the copy was accepted
        self.settle(plist)
        self.screenshot(plist, "dropped.png")

        # Exit and restart: the dropped rows were saved and come back.
        s.stop()
        before = self.saved_titles()
        self.assertEqual(sorted(before), sorted(["track%02d" % i for i in range(30)] + ["loose-a", "loose-b"]))
        s.start()
        s.wait_ready()
        main = self.window("TavoraPlayer Main")
        plist = self.window("TavoraPlayer List")
        self.settle(plist)  # the saved rows are restored

        # 2. Drag the first row below the fourth: click to select it, then drag it.
        x, y = self.row_point(plist, 0)
        self.pointer_to(x, y)
        self.xdo("click", "1")
        # The press that starts the drag lands 20 pixels away in the same row, farther
        # than a double click may stray, so it does not play the row.
        self.drag((x + 20, y), self.row_point(plist, 3), steps=6)

        # 3. One wheel notch down (one line plus the desktop's three), select the top
        # visible row and delete it with the Delete key.
        self.pointer_to(*self.row_point(plist, 1))
        self.xdo("click", "5")
        self.settle(plist)
        self.screenshot(plist, "scrolled.png")
        self.pointer_to(*self.row_point(plist, 0))
        self.xdo("click", "1")
        self.xdo("key", "Delete")
        expected = before[1:4] + before[0:1] + before[5:]

        # 4. Resize with the grip: the bottom-right corner goes where the button is
        # released.
        gx, gy, gw, gh = self.skin["ID_LIST_IGROUNDRESIZEING"]
        px, py, pw, ph = self.geometry(plist)
        grip = (px + pw - gx + gw // 2, py + ph - gy + gh // 2)
        self.drag(grip, (grip[0] + 60, grip[1] + 40))
        self.wait_geometry(plist, (px, py, grip[0] + 60 - px, grip[1] + 40 - py), "resized by the grip")

        # 5. Drag the window by its top frame to 3 right and 7 below the main window.
        mx, my, mw, mh = self.geometry(main)
        px, py, pw, ph = self.geometry(plist)
        grab = (px + pw // 2, py + 6)
        self.drag(grab, (mx + 3 + pw // 2, my + mh + 7 + 6), steps=20)
        self.wait_geometry(plist, (mx, my + mh), "docked below the main window", slice(0, 2))
        self.screenshot(plist, "docked.png")
        self.screenshot("root", "docked-desktop.png")

        # 6. Move the main window by its face: the list follows.
        self.drag((mx + 4, my + 60), (mx + 4 + 50, my + 60 + 30), steps=15)
        def moved_and_followed():
            x, y = self.geometry(main)[:2]
            near = abs(x - (mx + 50)) + abs(y - (my + 30)) < 12
            return near and self.geometry(plist)[:2] == (x, y + mh)
        try:
            wait_until(moved_and_followed, timeout=20, what="the main window moved and the list followed")
        finally:
            mx2, my2, _, _ = self.geometry(main)
        self.assertNotEqual((mx2, my2), (mx, my), "the main window moved")
        self.assertEqual(self.geometry(plist)[:2], (mx2, my2 + mh), "the list followed the main window")
        final = self.geometry(plist)

        # Exit: the playlist and the rectangle are saved.
        s.stop()
        titles = self.saved_titles()
        self.assertEqual(titles, expected)
        self.assertEqual(self.saved_rect(), (final[0], final[1], final[0] + final[2], final[1] + final[3]))

        # Restart: the same rows and the same rectangle.
        s.start()
        s.wait_ready()
        plist = self.window("TavoraPlayer List")
        self.wait_geometry(plist, final, "the saved rectangle")
        self.settle(plist)
        self.screenshot(plist, "restarted.png")
        s.stop()
        self.assertEqual(self.saved_titles(), titles)


if __name__ == "__main__":
    unittest.main()
