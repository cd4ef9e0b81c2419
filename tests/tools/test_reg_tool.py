"""tavora-reg reads and edits the settings store as reg.exe does the registry."""
import os
import subprocess
import sys
import tempfile
import unittest

TOOL = sys.argv.pop(1) if len(sys.argv) > 1 else "tavora-reg"
KEY = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"


class RegToolTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.env = dict(os.environ, TAVORA_REGISTRY=os.path.join(self.dir.name, "registry.db"))

    def tearDown(self):
        self.dir.cleanup()

    def reg(self, *args):
        return subprocess.run([TOOL, *args], env=self.env, capture_output=True, text=True, timeout=30)

    def test_add_query_delete_round_trip(self):
        self.assertEqual(self.reg("add", KEY, "/v", "VolumeValue", "/t", "REG_DWORD", "/d", "40", "/f").returncode, 0)
        self.assertEqual(self.reg("add", KEY, "/v", "Name", "/t", "REG_SZ", "/d", "타보라 \"1\"").returncode, 0)
        out = self.reg("query", KEY.lower(), "/v", "volumevalue")
        self.assertEqual(out.returncode, 0)
        self.assertIn("VolumeValue    REG_DWORD    0x28", out.stdout)
        self.assertIn("Name    REG_SZ    타보라 \"1\"", self.reg("query", KEY).stdout)
        self.assertIn(r"HKEY_LOCAL_MACHINE\SOFTWARE\TavoraPlayer\Setting",
                      self.reg("query", r"HKLM\SOFTWARE\TavoraPlayer").stdout)
        self.assertEqual(self.reg("delete", KEY, "/v", "Name", "/f").returncode, 0)
        self.assertEqual(self.reg("query", KEY, "/v", "Name").returncode, 1)
        self.assertEqual(self.reg("delete", r"HKLM\SOFTWARE\TavoraPlayer\Setting", "/f").returncode, 0)
        self.assertEqual(self.reg("query", KEY).returncode, 1)

    def test_negative_and_hex_dwords_and_bad_input(self):
        self.assertEqual(self.reg("add", KEY, "/v", "Top", "/t", "REG_DWORD", "/d", "-5").returncode, 0)
        self.assertIn("0xfffffffb", self.reg("query", KEY, "/v", "Top").stdout)
        self.assertEqual(self.reg("add", KEY, "/v", "Hex", "/t", "REG_DWORD", "/d", "0x10").returncode, 0)
        self.assertIn("0x10", self.reg("query", KEY, "/v", "Hex").stdout)
        for bad in (["add", KEY, "/v", "X", "/t", "REG_DWORD", "/d", "twelve"],
                    ["add", KEY, "/v", "X", "/t", "REG_BINARY", "/d", "00"],
                    ["query", r"HKCU\Software"], ["frobnicate", KEY]):
            result = self.reg(*bad)
            self.assertNotEqual(result.returncode, 0, bad)
            self.assertTrue(result.stderr)

    def test_export_lists_both_hives_as_a_reg_file(self):
        self.reg("add", KEY, "/v", "Mute", "/t", "REG_DWORD", "/d", "1")
        self.reg("add", r"HKCR\.mp3", "/ve", "/d", "tavora.mp3")
        self.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "Install_Dir", "/d", "C:\\odd \"path\"")
        out = self.reg("export").stdout
        self.assertTrue(out.startswith("Windows Registry Editor Version 5.00"))
        self.assertIn("[HKEY_LOCAL_MACHINE\\SOFTWARE\\TavoraPlayer\\Setting\\Control]\n\"Mute\"=dword:00000001", out)
        self.assertIn("[HKEY_CLASSES_ROOT\\.mp3]\n@=\"tavora.mp3\"", out)
        self.assertIn(r'"Install_Dir"="C:\\odd \"path\""', out)

    def test_a_damaged_store_is_reported_as_damaged_and_left_alone(self):
        store = self.env["TAVORA_REGISTRY"]
        garbage = b"this is no settings store\n" * 400
        with open(store, "wb") as f:
            f.write(garbage)
        for args in (["query", KEY, "/v", "VolumeValue"], ["export"],
                     ["add", KEY, "/v", "Mute", "/t", "REG_DWORD", "/d", "1"]):
            result = self.reg(*args)
            self.assertNotEqual(result.returncode, 0, args)
            self.assertIn("corrupt", result.stderr, args)
            self.assertNotIn("unable to find", result.stderr, args)
        with open(store, "rb") as f:
            self.assertEqual(f.read(), garbage)
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["registry.db"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
