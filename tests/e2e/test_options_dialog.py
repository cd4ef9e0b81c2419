"""The options dialog driven with real X events: F4 on the playlist window opens it,
clicks in its page list show the pages (a screenshot of every page is kept in
<build>/e2e-artifacts/options_dialog/), a new title format re-titles the playlist, a
new skin is applied, the master volume slider moves the desktop's volume and follows
it, OK stores the choices, and a restart keeps them."""
import os
import re
import subprocess
import time
import unittest

from tavora_e2e import DesktopActions, PlayerSession, STAGE, wait_until

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"
VIEW = r"HKLM\SOFTWARE\TavoraPlayer\Setting\View"
PLAYLIST = r"SOFTWARE\TavoraPlayer\PlayList"
TAGS = r"SOFTWARE\TavoraPlayer\Setting\TagSortMp3"
SKIN = r"SOFTWARE\TavoraPlayer\Setting\Skin"
ARTIFACTS = os.path.join(os.path.dirname(STAGE), "e2e-artifacts", "options_dialog")
PAGES = ["general", "playlist", "sound", "skin", "filetypes"]
LIST_X = 100  # a column of the page list right of the item texts


def make_song(path, title, artist):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=1",
                    "-metadata", f"title={title}", "-metadata", f"artist={artist}", "-c:a", "libmp3lame",
                    "-b:a", "64k", "-id3v2_version", "3", path], check=True, timeout=60)


class OptionsDialogTest(DesktopActions, unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession(audio="null")
        self.addCleanup(self.s.close)
        os.makedirs(ARTIFACTS, exist_ok=True)
        for key, name, value in [(CONTROL, "BeginPlay", 0), (VIEW, "List", 1), (CONTROL, "AutoConnect", 0)]:
            self.s.reg("add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value))
        media = os.path.join(self.s.dir, "media")
        os.makedirs(media)
        self.songs = [(os.path.join(media, "one.mp3"), "첫 곡", "가수 하나"),
                      (os.path.join(media, "two.mp3"), "Second", "Singer Two")]
        self.s.reg("add", "HKLM\\" + PLAYLIST + "\\Count", "/v", "ListCount", "/t", "REG_DWORD", "/d", "2")
        for i, (path, title, artist) in enumerate(self.songs):
            make_song(path, title, artist)
            for column, text in (("Name", f"{title} - {artist}"), ("Time", "00:01"), ("Path", path)):
                self.s.reg("add", "HKLM\\" + PLAYLIST + "\\" + column, "/v", str(i), "/t", "REG_SZ", "/d", text)

    def key(self, wid, *keys):
        self.s.wait_focus(wid)
        for k in keys:
            self.xdo("key", k)

    def shot(self, wid, name):
        path = os.path.join(ARTIFACTS, name)
        subprocess.run(["import", "-window", wid, path], env=self.s.env, check=True, timeout=30)
        with open(path, "rb") as f:
            return f.read()

    def highlight(self, png_path, x):
        """The rows (first, last) of the page list's highlighted item in column x."""
        out = subprocess.run(["convert", png_path, "-crop", f"1x10000+{x}+0", "txt:-"], capture_output=True,
                             text=True, check=True, timeout=30).stdout
        rows = []
        for line in out.splitlines()[1:]:
            m = re.match(r"\s*\d+,(\d+):\s*\((\d+),(\d+),(\d+)", line)
            if m:
                y, r, g, b = map(int, m.groups())
                if b > 150 and r < 120 and g > 100:
                    rows.append(y)
        return (rows[0], rows[-1]) if rows else None

    def click_page(self, dialog, page, top, height):
        self.xdo("mousemove", "--window", dialog, str(LIST_X), str(top + page * height + height // 2))
        self.xdo("click", "1")

    def sink_volume(self):
        out = subprocess.run(["pactl", "get-sink-volume", "@DEFAULT_SINK@"], env=self.s.env, capture_output=True,
                             text=True, timeout=30).stdout
        return int(re.search(r"(\d+)%", out).group(1))

    def stored_titles(self):
        count = self.s.dword(PLAYLIST + "\\Count", "ListCount") or 0
        return [self.s.string(PLAYLIST + "\\Name", str(i)) for i in range(count)]

    def open_options(self):
        listing = self.s.wait_window("TavoraPlayer List")
        self.xdo("windowactivate", "--sync", listing)
        self.key(listing, "F4")
        dialog = self.s.wait_window("환경 설정")
        self.xdo("windowactivate", "--sync", dialog)
        self.s.wait_focus(dialog)
        return listing, dialog

    def test_pages_title_format_and_skin_survive_a_restart(self):
        self.s.start()
        self.s.wait_ready()
        main = self.s.wait_window("TavoraPlayer Main")
        listing, dialog = self.open_options()
        list_before = self.shot(listing, "list-before.png")
        main_before = self.shot(main, "main-before.png")

        # The first item is highlighted: its rows give the list's item height.
        shots = [self.shot(dialog, f"page-{PAGES[0]}.png")]
        band = self.highlight(os.path.join(ARTIFACTS, f"page-{PAGES[0]}.png"), LIST_X)
        self.assertIsNotNone(band, "no highlighted page item")
        top, height = band[0], band[1] - band[0] + 1
        for number, page in enumerate(PAGES[1:], 1):
            self.click_page(dialog, number, top, height)
            wait_until(lambda: self.shot(dialog, f"page-{page}.png") != shots[-1], what=f"the {page} page")
            shots.append(self.shot(dialog, f"page-{page}.png"))
            moved = self.highlight(os.path.join(ARTIFACTS, f"page-{page}.png"), LIST_X)
            self.assertEqual(moved[0], top + number * height, page)

        # The sound page: the slider follows the desktop's volume, and moves it.
        volume = self.sink_volume()
        self.addCleanup(subprocess.run, ["pactl", "set-sink-volume", "@DEFAULT_SINK@", f"{volume}%"], env=self.s.env,
                        timeout=30)
        self.click_page(dialog, 2, top, height)
        subprocess.run(["pactl", "set-sink-volume", "@DEFAULT_SINK@", "20%"], env=self.s.env, check=True, timeout=30)
        low = self.shot(dialog, "sound-20.png")
        subprocess.run(["pactl", "set-sink-volume", "@DEFAULT_SINK@", "80%"], env=self.s.env, check=True, timeout=30)
        wait_until(lambda: self.shot(dialog, "sound-80.png") != low, what="the slider following the volume")
        self.key(dialog, "Tab", "Page_Down", "Page_Down")
        wait_until(lambda: self.sink_volume() in (77, 78), what="two pages down on the slider")

        # The skin page: the next skin in its list.
        self.click_page(dialog, 3, top, height)
        wait_until(lambda: self.shot(dialog, "back-skin.png") == shots[3], what="the skin page again")
        self.key(dialog, "Tab", "Down")
        # The playlist page: the second format, "가수명 - 곡명".
        self.click_page(dialog, 1, top, height)
        wait_until(lambda: self.shot(dialog, "back-playlist.png") == shots[1], what="the playlist page again")
        self.key(dialog, "Tab", "Right")
        self.key(dialog, "Return")
        wait_until(lambda: not self.xdo("search", "--onlyvisible", "--name", "^환경 설정$").split(),
                   what="the dialog closed")

        self.assertEqual(self.s.dword(TAGS, "Type"), 2)
        self.assertEqual(self.s.dword(TAGS, "Type2"), 1)
        self.assertEqual(self.s.dword(TAGS, "Type1"), 0)
        self.assertEqual(self.s.string(SKIN, "SelectSkinName"), "Nimbus")
        # The list is re-titled and the skin applied: both windows look different.
        main = self.s.wait_window("TavoraPlayer Main")
        wait_until(lambda: self.shot(main, "main-after.png") != main_before, what="the new skin")
        wait_until(lambda: self.shot(listing, "list-after.png") != list_before, what="the list re-titled")

        self.assertEqual(self.s.stop(), 0, self.s.read_log())
        self.assertEqual(self.stored_titles(), [f"{artist} - {title}" for _, title, artist in self.songs])

        # A restart keeps the choices.
        self.s.start()
        self.s.wait_ready()
        listing, dialog = self.open_options()
        self.assertEqual(self.s.dword(TAGS, "Type"), 2)
        self.assertEqual(self.s.string(SKIN, "SelectSkinName"), "Nimbus")
        self.key(dialog, "Escape")
        wait_until(lambda: not self.xdo("search", "--onlyvisible", "--name", "^환경 설정$").split(),
                   what="the dialog closed by Escape")
        self.assertEqual(self.s.stop(), 0, self.s.read_log())


if __name__ == "__main__":
    unittest.main()
