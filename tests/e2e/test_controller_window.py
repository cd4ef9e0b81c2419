"""The controller's window: a taskbar button titled with the player's title, unless
"ShowTaskbar" keeps it off the taskbar."""
import subprocess
import time
import unittest

from tavora_e2e import PlayerSession

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"


def windows_titled(env, title):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], env=env,
                         capture_output=True, text=True).stdout
    return [w for w in out.split() if w]


def net_wm_state(env, wid):
    return subprocess.run(["xprop", "-id", wid, "_NET_WM_STATE"], env=env, capture_output=True,
                          text=True).stdout


class ControllerWindowTest(unittest.TestCase):
    def run_player(self, show_taskbar):
        s = PlayerSession()
        self.addCleanup(s.close)
        s.reg("add", CONTROL, "/v", "ShowTaskbar", "/t", "REG_DWORD", "/d", str(show_taskbar))
        s.start()
        s.wait_ready()
        deadline = time.time() + 15
        wids = []
        while not wids and time.time() < deadline:
            wids = windows_titled(s.env, "타보라 플레이어")
            time.sleep(0.1)
        self.assertTrue(wids, "no visible window titled 타보라 플레이어")
        time.sleep(0.3)  # let the window manager apply the state
        states = [net_wm_state(s.env, w) for w in wids]
        return s, states

    def test_taskbar_button_by_default(self):
        s, states = self.run_player(0)
        self.assertTrue(all("SKIP_TASKBAR" not in st for st in states), states)
        self.assertEqual(s.stop(), 0)

    def test_show_taskbar_option_keeps_it_off_the_taskbar(self):
        s, states = self.run_player(1)
        self.assertTrue(all("_NET_WM_STATE_SKIP_TASKBAR" in st for st in states), states)
        self.assertEqual(s.stop(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
