"""Starting on an unusable skin: the player falls back to the shipped default skin, tells
the user once in a message box, shows a main window of the default skin's size and keeps
the default as the stored choice."""
import os
import unittest
import xml.etree.ElementTree as ET

from tavora_e2e import DesktopActions, PlayerSession, STAGE, press_key, wait_until

SKIN = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Skin"
SHARE = os.path.join(STAGE, "share", "TavoraPlayer")
BROKEN = ('<TavoraSkin><Default><General><SkinName ID="ID_SKIN_NAME" Name="Mine"/></General></Default>'
          '<MainControl><ImageCollection><Ground ID="ID_PLAYER_IMAIN" GroundImage="main.bmp" X="0" Y="0" '
          'Width="2147483647" Height="-30" LineUp="1"/></ImageCollection></MainControl></TavoraSkin>')


def default_main_size():
    root = ET.parse(os.path.join(SHARE, "skin", "Default", "TavoraSkin.xml")).getroot()
    for node in root.find("MainControl").iter("Ground"):
        if node.get("ID") == "ID_PLAYER_IMAIN":
            return int(node.get("Width")), int(node.get("Height"))
    raise AssertionError("the default skin has no main window background")


class SkinFallbackTest(DesktopActions, unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession(audio="null")
        self.addCleanup(self.s.close)
        # An install folder of its own: the installed program files, the shipped default
        # skin and the user's broken skin.
        install = os.path.join(self.s.dir, "install")
        os.makedirs(os.path.join(install, "skin", "Mine"))
        for name in os.listdir(SHARE):
            if name != "skin":
                os.symlink(os.path.join(SHARE, name), os.path.join(install, name))
        os.symlink(os.path.join(SHARE, "skin", "Default"), os.path.join(install, "skin", "Default"))
        with open(os.path.join(install, "skin", "Mine", "TavoraSkin.xml"), "w", encoding="utf-8") as f:
            f.write(BROKEN)
        self.s.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "Install_Dir", "/t", "REG_SZ", "/d", install)
        self.s.reg("add", SKIN, "/v", "SelectSkinName", "/t", "REG_SZ", "/d", "Mine")

    def visible(self, title):
        try:
            return wait_until(lambda: self.xdo("search", "--onlyvisible", "--name", title).split(),
                              what=f"a window titled {title}")
        except AssertionError:
            self.fail(f"no visible window titled {title}:\n" + self.s.read_log())

    def size(self, wid):
        out = self.xdo("getwindowgeometry", "--shell", wid)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["WIDTH"]), int(values["HEIGHT"])

    def test_broken_skin_gives_way_to_the_default_and_the_user_is_told(self):
        self.s.start()
        self.s.wait_ready()
        boxes = self.visible("^스킨 변경$")
        self.assertEqual(len(boxes), 1)
        main = self.visible("^TavoraPlayer Main$")[0]
        self.assertEqual(self.size(main), default_main_size())
        self.assertEqual(self.s.string(SKIN[5:], "SelectSkinName"), "oXu(Default)")
        # The box goes with Enter, and no second one follows.
        press_key(self.s.env, boxes[0], "Return")
        wait_until(lambda: not self.xdo("search", "--onlyvisible", "--name", "^스킨 변경$").split(),
                   what="the message box gone")
        self.assertEqual(self.xdo("search", "--onlyvisible", "--name", "^스킨 변경$").split(), [])
        self.assertEqual(self.s.stop(), 0)


if __name__ == "__main__":
    unittest.main()
