#!/usr/bin/env python3
"""The architecture check finds each kind of fault in a small tree and passes a clean one."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_architecture.py")

LAYERS = """# house
| floor | folders | what |
|---|---|---|
| 1 (ground) | `contracts/` | contracts |
| 2 | `settings/` | owner |
| 3 | `player/`, `skin/` | core |
| 4 | `app/` | assembly |
"""

CLEAN = {
    "contracts/CommandSink.h": "#pragma once\n",
    "contracts/MediaTypes.cpp": 'const char* kMp3 = ".mp3";\n',
    "settings/Registry.h": "#pragma once\nint ReadRegDword(const char*);\n",
    "settings/Settings.cpp": '#include "Registry.h"\nint v = ReadRegDword("x");\n',
    "player/Player.cpp": '#include "CommandSink.h"\n// a comment may say "mp3" and PostMessage(\n',
    "app/TavoraPlayerDlg.h": "#pragma once\n",
    "app/Application.cpp": '#include "TavoraPlayerDlg.h"\n#include "Player.h"\n',
    "player/Player.h": "#pragma once\nclass Player {\n  int a;\n};\n",
}

FAULTS = [
    ("upward include", {"player/Up.cpp": '#include "Application.h"\n', "app/Application.h": ""},
     "includes app/Application.h"),
    ("same-floor include", {"skin/Skin.cpp": '#include "Player.h"\n'}, "includes player/Player.h"),
    ("controller header", {"player/Bad.cpp": '#include "TavoraPlayerDlg.h"\n'}, "controller's header"),
    ("store call", {"player/Store.cpp": 'int v = WriteRegDword("x", 1);\n'}, "calls the store"),
    ("store header", {"skin/S.cpp": '#include "Registry.h"\n'}, "store's header Registry.h"),
    ("media literal", {"player/Ext.cpp": 'bool m = x == "OGG";\n'}, 'media extension "OGG"'),
    ("posted message", {"player/Post.cpp": "void f() { dlg.PostMessage(1); }\n"}, "internal window message"),
    ("unplaced folder", {"extra/E.cpp": "int e;\n"}, "extra/: the layer table"),
    ("large class", {"player/Big.h": "class Big {\n" + "  int x;\n" * 510 + "};\n"}, "class Big"),
]


def run(tree):
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "docs"))
        with open(os.path.join(root, "docs", "architecture.md"), "w") as doc:
            doc.write(LAYERS)
        for path, text in tree.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        done = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
        return done.returncode, done.stdout


class CheckArchitectureTest(unittest.TestCase):
    def test_each_fault_is_found_and_a_clean_tree_passes(self):
        code, out = run(CLEAN)
        self.assertEqual(code, 0, out)
        for name, files, expected in FAULTS:
            with self.subTest(name):
                code, out = run({**CLEAN, **files})
                self.assertEqual(code, 1, out)
                self.assertIn(expected, out)


if __name__ == "__main__":
    unittest.main()
