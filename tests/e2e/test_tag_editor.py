"""The MP3 tag editor with real X events: a row selected in the playlist window, "파일 정보
보기" chosen from the list's context menu, a Korean title typed and saved. The file then
holds the title (read by mid3v2) and the row has the new title (as saved at exit). The
player closes normally with the editor open."""
import os
import subprocess
import unittest
import xml.etree.ElementTree as ET

from tavora_e2e import DesktopActions, PlayerSession, STAGE, visible_windows, wait_until

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"
VIEW = r"HKLM\SOFTWARE\TavoraPlayer\Setting\View"
PLAYLIST = r"SOFTWARE\TavoraPlayer\PlayList"
SIZE = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Size"
ROW = 16
ARTIFACTS = os.path.join(os.path.dirname(STAGE), "e2e-artifacts", "tag_editor")


def skin_rect(name):
    path = os.path.join(STAGE, "share", "TavoraPlayer", "skin", "Default", "TavoraSkin.xml")
    for node in ET.parse(path).getroot().iter():
        a = node.attrib
        if a.get("ID") == name and "X" in a:
            return int(a["X"]), int(a["Y"]), int(a["Width"]), int(a["Height"])
    raise KeyError(name)


class TagEditorTest(DesktopActions, unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession(audio="null")
        self.addCleanup(self.s.close)
        # Both windows where this test expects them.
        for key, name, value in [(CONTROL, "StartOpen", 0), (CONTROL, "BeginPlay", 0), (VIEW, "List", 1),
                                 (SIZE, "Tavora.Size.Left", 300), (SIZE, "Tavora.Size.Top", 60),
                                 (SIZE, "List.Size.Left", 300), (SIZE, "List.Size.Top", 300),
                                 (SIZE, "List.Size.Right", 620), (SIZE, "List.Size.Bottom", 640)]:
            self.s.reg("add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value))
        media = os.path.join(self.s.dir, "media")
        os.makedirs(media)
        self.songs = [os.path.join(media, n) for n in ("one.mp3", "two.mp3")]
        for i, path in enumerate(self.songs):
            subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=1",
                            "-c:a", "libmp3lame", "-b:a", "64k", path], check=True, timeout=60)
            subprocess.run(["id3v2", "-t", f"Old {i}", "-a", "Artist", path], check=True, timeout=30)
        self.m3u = os.path.join(media, "list.m3u")
        with open(self.m3u, "w", encoding="utf-8") as f:
            f.write("\n".join(self.songs) + "\n")

    def row_point(self, wid, row):
        x, y, _, _ = self.geometry(wid)
        left = skin_rect("ID_LIST_ILEFTCENTERDOT")[2]
        top = skin_rect("ID_LIST_ILISTSCROLLTOP")
        return x + left + 60, y + top[1] + top[3] + row * ROW + ROW // 2

    def settle(self, wid, timeout=60):
        """Waits until the window's picture stops changing: the list is loaded on a worker
        and its rows are re-titled by another."""
        seen = {"last": None, "same": 0}

        def still():
            picture = subprocess.run(["import", "-window", wid, "rgb:-"], env=self.s.env, capture_output=True,
                                     timeout=30).stdout
            seen["same"] = seen["same"] + 1 if picture and picture == seen["last"] else 0
            seen["last"] = picture
            return seen["same"] >= 3
        wait_until(still, timeout, "the playlist window to stop changing", interval=0.5)

    def stored_titles(self):
        count = self.s.dword(PLAYLIST + r"\Count", "ListCount") or 0
        return [self.s.string(PLAYLIST + r"\Name", str(i)) for i in range(count)]

    def map_keys_for(self, text):
        """Puts the keysyms of the text's non-ASCII characters on free keycodes before the
        player starts. xdotool would otherwise map each one for a moment while typing it,
        and a client that reads the keymap a moment later sees nothing: characters vanish."""
        table = subprocess.run(["xmodmap", "-pke"], env=self.s.env, capture_output=True, text=True,
                               timeout=30).stdout
        free = [int(line.split()[1]) for line in table.splitlines() if line.strip().endswith("=")]
        for code, char in zip(free, sorted({c for c in text if ord(c) > 127})):
            subprocess.run(["xmodmap", "-e", f"keycode {code} = U{ord(char):04X}"], env=self.s.env, check=True,
                           timeout=30)
            self.addCleanup(subprocess.run, ["xmodmap", "-e", f"keycode {code} ="], env=self.s.env, timeout=30)

    def tag_title(self, path):
        out = subprocess.run(["mid3v2", "-l", path], capture_output=True, text=True, timeout=30,
                             env=dict(os.environ, LC_ALL="C.UTF-8")).stdout
        return next((line[len("TIT2="):] for line in out.splitlines() if line.startswith("TIT2=")), None)

    def test_title_typed_in_korean_is_saved_and_retitles_the_row(self):
        s = self.s
        self.map_keys_for("새 제목")
        player = s.start("-list" + self.m3u)
        s.wait_ready()
        plist = s.wait_window("TavoraPlayer List")
        wait_until(lambda: self.geometry(plist) == (300, 300, 320, 340), 30, "the playlist window at its place")
        self.settle(plist)

        # Select the first row and open the list's context menu on it.
        x, y = self.row_point(plist, 0)
        self.xdo("mousemove", str(x), str(y), "click", "1")
        before = set(visible_windows(s.env, pid=player.pid))
        self.xdo("click", "3")
        try:
            wait_until(lambda: set(visible_windows(s.env, pid=player.pid)) - before, 30, "the context menu")
        except AssertionError:
            os.makedirs(ARTIFACTS, exist_ok=True)
            subprocess.run(["import", "-window", "root", os.path.join(ARTIFACTS, "menu.png")], env=s.env, timeout=30)
            self.fail(f"no menu: {before} {visible_windows(s.env, pid=player.pid)}")
        # The last entry is "파일 정보 보기".
        self.xdo("key", "Up", "Return")
        editor = s.wait_window("MP3 Tag")
        s.wait_focus(editor)

        # The title field has the focus; the digits and letters are typed, not keys.
        self.xdo("key", "ctrl+a")
        self.xdo("type", "--delay", "40", "새 제목 1CU")
        self.xdo("key", "Return")
        try:
            wait_until(lambda: self.tag_title(self.songs[0]) == "새 제목 1CU", 60, "the title in the file")
        except AssertionError:
            os.makedirs(ARTIFACTS, exist_ok=True)
            subprocess.run(["import", "-window", editor, os.path.join(ARTIFACTS, "editor.png")], env=s.env, timeout=30)
            self.fail(f"the file's title is {self.tag_title(self.songs[0])!r}\n{s.read_log()}")
        self.assertEqual(self.tag_title(self.songs[1]), "Old 1", "only the selected file is written")

        self.xdo("key", "alt+c")
        wait_until(lambda: not visible_windows(s.env, "MP3 Tag"), 30, "the editor closed")

        # Alt+3 in the playlist window opens it again; the player closes with it open.
        self.xdo("windowactivate", "--sync", plist)
        s.wait_focus(plist)
        self.xdo("key", "alt+3")
        s.wait_window("MP3 Tag")
        self.assertEqual(s.stop(), 0)
        self.assertEqual(self.stored_titles()[0], "새 제목 1CU - Artist")


if __name__ == "__main__":
    unittest.main()
