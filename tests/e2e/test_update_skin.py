"""A player started without any skin fetches the skin installer from the update server,
checks its signature and runs it, and the installer puts the server's skins into the skins folder."""
import os
import shutil
import subprocess
import unittest
import zipfile

from tavora_e2e import STAGE, FolderServer, PlayerSession, sign_update_files, wait_until

SHARE = os.path.join(STAGE, "share", "TavoraPlayer")
TITLE = "타보라플레이어 필수 파일 다운로드"


def publish(path, data):
    with open(path, "wb") as f:
        f.write(data)
    sign_update_files(path)


class UpdateSkinTest(unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession(audio="null")
        self.addCleanup(self.s.close)
        # An install folder of its own with an empty skins folder.
        self.install = os.path.join(self.s.dir, "install")
        os.makedirs(os.path.join(self.install, "skin"))
        for name in os.listdir(SHARE):
            if name != "skin":
                os.symlink(os.path.join(SHARE, name), os.path.join(self.install, name))
        # The server offers our own skin installer and the shipped default skin.
        served = os.path.join(self.s.dir, "served")
        skins = os.path.join(served, "AutoUpdate", "skin")
        os.makedirs(skins)
        with open(os.path.join(STAGE, "bin", "TavoraUpdateSkin"), "rb") as f:
            publish(os.path.join(skins, "TavoraUpdateSkin"), f.read())
        archive = os.path.join(self.s.dir, "skins.zip")
        with zipfile.ZipFile(archive, "w") as z:
            default = os.path.join(SHARE, "skin", "Default")
            for folder, _, files in os.walk(default):
                for name in files:
                    full = os.path.join(folder, name)
                    z.write(full, os.path.join("Default", os.path.relpath(full, default)))
        with open(archive, "rb") as f:
            publish(os.path.join(skins, "TavoraSkins.zip"), f.read())
        self.server = FolderServer(served)
        self.addCleanup(self.server.close)
        self.s.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "Install_Dir", "/t", "REG_SZ", "/d", self.install)
        self.s.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "UpdateServer", "/t", "REG_SZ",
                   "/d", self.server.base)

    def dialogs(self):
        return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$"], env=self.s.env,
                              capture_output=True, text=True, timeout=30).stdout.split()

    def test_the_skin_installer_is_fetched_and_installs_the_skins(self):
        self.s.start()
        self.s.wait_ready()
        wait_until(self.dialogs, what="the download window")
        skin_file = os.path.join(self.install, "skin", "Default", "TavoraSkin.xml")
        wait_until(lambda: os.path.isfile(skin_file), what="the skin installed by the installer")
        with open(skin_file, "rb") as got, open(os.path.join(SHARE, "skin", "Default", "TavoraSkin.xml"), "rb") as want:
            self.assertEqual(got.read(), want.read())
        wait_until(lambda: not self.dialogs(), what="the download window closed after the installer started")
        self.assertTrue(os.access(os.path.join(self.install, "UpdateTemp", "TavoraUpdateSkin"), os.X_OK))
        self.assertEqual(self.s.stop(), 0, self.s.read_log())


if __name__ == "__main__":
    unittest.main()
