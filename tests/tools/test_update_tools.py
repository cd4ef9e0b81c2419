"""TavoraUpdateSkin and TavoraUpdate against a loopback update server."""
import contextlib
import functools
import http.server
import os
import subprocess
import sys
import tempfile
import threading
import unittest
import zipfile

# test_update_tools.py PATH/tavora-reg FOLDER_OF_THE_UPDATE_TOOLS
REG_TOOL = sys.argv.pop(1) if len(sys.argv) > 1 else "tavora-reg"
BIN = sys.argv.pop(1) if len(sys.argv) > 1 else "."
# The test signing key: its secret half is for tests only. The build under test trusts
# it (scripts/build.sh --tests).
TEST_KEY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "update", "keys", "update-test.secret")


def tool(name):
    return REG_TOOL if name == "tavora-reg" else os.path.join(BIN, name)


@contextlib.contextmanager
def serving(folder):
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
    handler.log_message = lambda *a: None
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        yield f"http://127.0.0.1:{server.server_address[1]}"
    finally:
        server.shutdown()
        server.server_close()


class UpdateToolsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        root = self.dir.name
        self.install = os.path.join(root, "install")
        self.served = os.path.join(root, "served")
        os.makedirs(os.path.join(self.install, "skin"))
        os.makedirs(os.path.join(self.served, "AutoUpdate", "skin"))
        self.env = dict(os.environ, TAVORA_REGISTRY=os.path.join(root, "registry.db"),
                        QT_QPA_PLATFORM="offscreen")
        self.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "Install_Dir", "/t", "REG_SZ", "/d", self.install)

    def tearDown(self):
        self.dir.cleanup()

    def reg(self, *args):
        return subprocess.run([tool("tavora-reg"), *args], env=self.env, capture_output=True, text=True,
                              timeout=30)

    def use_server(self, base):
        self.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "UpdateServer", "/t", "REG_SZ", "/d", base)

    def run_tool(self, name, *args):
        return subprocess.run([tool(name), *args], env=self.env, capture_output=True, text=True, timeout=120)

    def publish_skins(self, entries, key=TEST_KEY):
        """Offers the skins archive, signed with `key` (None: unsigned)."""
        path = os.path.join(self.served, "AutoUpdate", "skin", "TavoraSkins.zip")
        with zipfile.ZipFile(path, "w") as z:
            for name, data in entries.items():
                z.writestr(name, data)
        if key:
            signed = self.run_tool("tavora-update-sign", "sign", key, path)
            self.assertEqual(signed.returncode, 0, signed.stderr)

    def test_skins_are_unpacked_into_the_skins_folder_and_nowhere_else(self):
        self.publish_skins({"Blue/TavoraSkin.xml": "<Skin/>", "Blue/image/main.bmp": "BM",
                            "../outside.txt": "x", "/tmp/absolute-tavora-skin.txt": "x"})
        with serving(self.served) as base:
            self.use_server(base)
            result = self.run_tool("TavoraUpdateSkin")
        self.assertEqual(result.returncode, 0, result.stderr)
        skin = os.path.join(self.install, "skin")
        with open(os.path.join(skin, "Blue", "TavoraSkin.xml")) as f:
            self.assertEqual(f.read(), "<Skin/>")
        self.assertTrue(os.path.exists(os.path.join(skin, "Blue", "image", "main.bmp")))
        self.assertFalse(os.path.exists(os.path.join(self.install, "outside.txt")))
        self.assertFalse(os.path.exists("/tmp/absolute-tavora-skin.txt"))

    def test_an_unsigned_or_wrongly_signed_archive_or_no_server_installs_nothing(self):
        other_key = os.path.join(self.dir.name, "other.secret")
        self.assertEqual(self.run_tool("tavora-update-sign", "keygen", other_key).returncode, 0)
        for key, why in ((None, "signature: the server answered 404"), (other_key, "wrong signature")):
            self.publish_skins({"Blue/TavoraSkin.xml": "<Skin/>"}, key=key)
            with serving(self.served) as base:
                self.use_server(base)
                result = self.run_tool("TavoraUpdateSkin")
            self.assertEqual(result.returncode, 1)
            self.assertIn(why, result.stderr)
            self.assertEqual(os.listdir(os.path.join(self.install, "skin")), [])
            self.assertEqual(os.listdir(os.path.join(self.install, "UpdateTemp")), [])
        self.assertEqual(self.run_tool("TavoraUpdateSkin").returncode, 1)  # server gone
        self.assertEqual(os.listdir(os.path.join(self.install, "skin")), [])

    def test_the_updater_reports_a_newer_version_only(self):
        version = os.path.join(self.served, "AutoUpdate", "version")
        with serving(self.served) as base:
            self.use_server(base)
            with open(version, "w") as f:
                f.write("999.1\n")
            self.assertIn("newer version 999.1", self.run_tool("TavoraUpdate", "--print").stdout)
            with open(version, "w") as f:
                f.write("0.0.1\n")
            self.assertIn("up to date", self.run_tool("TavoraUpdate", "--print").stdout)
            # Checked once per session of the player, which resets the mark when it ends.
            self.assertEqual(self.run_tool("TavoraUpdate").returncode, 0)
            self.assertIn("0x1", self.reg("query", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "UpdateCheck").stdout)
        with open(version, "w") as f:
            f.write("999.1\n")  # would ask the user, but this session has been checked
        self.assertEqual(self.run_tool("TavoraUpdate").returncode, 0)
        # Without an answer from the server nothing is known: never "up to date".
        gone = self.run_tool("TavoraUpdate", "--print")
        self.assertEqual(gone.returncode, 1)
        self.assertNotIn("up to date", gone.stdout)
        self.assertIn("no version number", gone.stderr)
        # Nothing was written into the install folder.
        self.assertEqual(os.listdir(self.install), ["skin"])

    def test_the_signing_tool_signs_what_its_key_verifies(self):
        path = os.path.join(self.dir.name, "UnRar.so")
        with open(path, "wb") as f:
            f.write(b"module bytes")
        self.assertEqual(self.run_tool("tavora-update-sign", "sign", TEST_KEY, path).returncode, 0)
        public = self.run_tool("tavora-update-sign", "public", TEST_KEY).stdout.strip()
        self.assertEqual(self.run_tool("tavora-update-sign", "verify", public, path).returncode, 0)
        with open(path, "ab") as f:
            f.write(b"+")
        changed = self.run_tool("tavora-update-sign", "verify", public, path)
        self.assertEqual(changed.returncode, 1)
        self.assertIn("wrong signature", changed.stdout)


if __name__ == "__main__":
    unittest.main()
