"""The controller's window: a taskbar button titled with the player's title, unless
"ShowTaskbar" keeps it off the taskbar."""
import subprocess
import unittest

from tavora_e2e import PlayerSession, visible_windows, wait_until

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"


def net_wm_state(env, wid):
    return subprocess.run(["xprop", "-id", wid, "_NET_WM_STATE"], env=env, capture_output=True,
                          text=True, timeout=30).stdout


def managed(env, wid):
    """True once the window manager has taken the window on (it gives every window it
    manages its frame extents, after applying the window's state)."""
    return "_NET_FRAME_EXTENTS(CARDINAL)" in subprocess.run(
        ["xprop", "-id", wid, "_NET_FRAME_EXTENTS"], env=env, capture_output=True, text=True, timeout=30).stdout


class ControllerWindowTest(unittest.TestCase):
    def run_player(self, show_taskbar):
        s = PlayerSession()
        self.addCleanup(s.close)
        s.reg("add", CONTROL, "/v", "ShowTaskbar", "/t", "REG_DWORD", "/d", str(show_taskbar))
        s.start()
        s.wait_ready()
        s.wait_window("타보라 플레이어")
        wids = visible_windows(s.env, "타보라 플레이어")
        wait_until(lambda: all(managed(s.env, w) for w in wids), what="the window manager to take the windows")
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
