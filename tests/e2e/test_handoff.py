"""A running player takes the command lines of later launches, one number each."""
import fcntl
import os
import re
import signal
import subprocess
import time
import unittest

from tavora_e2e import PlayerSession

OUTFILE = r"SOFTWARE\TavoraPlayer\OutFile"


class HandOffTest(unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession()
        self.addCleanup(self.s.close)

    def test_twenty_launches_at_once_each_deliver_their_argument(self):
        self.s.start()
        self.s.wait_ready()
        args = [f"-add/music/곡 {i:02d}.mp3" for i in range(20)]
        launches = [self.s.launch(a) for a in args]
        for p in launches:
            out, err = p.communicate(timeout=60)
            self.assertEqual(p.returncode, 0, err.decode())
        self.assertEqual(self.s.dword(OUTFILE, "count"), 20)
        stored = {self.s.string(OUTFILE, str(n)) for n in range(1, 21)}
        self.assertEqual(stored, set(args))
        # The running player handled each number once, with its own argument.
        handled = re.findall(r"argument (\d+) (-add/music/곡 \d\d\.mp3)", self.s.read_log())
        self.assertEqual(sorted(int(n) for n, _ in handled), list(range(1, 21)))
        self.assertEqual({a for _, a in handled}, set(args))

        # A launch without arguments changes nothing; a bare path is taken and ignored.
        p = self.s.launch()
        p.communicate(timeout=30)
        self.assertEqual(p.returncode, 0)
        self.assertEqual(self.s.dword(OUTFILE, "count"), 20)
        p = self.s.launch("/music/bare.mp3")
        p.communicate(timeout=30)
        self.assertEqual(p.returncode, 0)
        self.assertEqual(self.s.dword(OUTFILE, "count"), 21)
        self.assertIsNone(self.s.player.poll())

        # SIGTERM closes the player as Exit does.
        self.assertEqual(self.s.stop(signal.SIGTERM), 0)
        self.assertEqual(self.s.dword(OUTFILE, "count"), 0)
        self.assertEqual(self.s.dword(r"SOFTWARE\TavoraPlayer", "UpdateCheck"), 0)

    def test_first_instance_takes_its_own_command_line_as_argument_one(self):
        self.s.start("-add/music/first.mp3")
        self.s.wait_ready()
        deadline = time.time() + 20
        while "argument 1 -add/music/first.mp3" not in self.s.read_log() and time.time() < deadline:
            time.sleep(0.05)
        self.assertIn("argument 1 -add/music/first.mp3", self.s.read_log())
        self.assertEqual(self.s.string(OUTFILE, "1"), "-add/music/first.mp3")
        self.assertEqual(self.s.stop(signal.SIGINT), 0)
        self.assertEqual(self.s.dword(OUTFILE, "count"), 0)

    def test_a_later_launch_gives_up_when_the_player_never_answers(self):
        # Someone holds the single-instance lock but serves nothing.
        lock = open(os.path.join(self.s.runtime, "TavoraPlayer_List.lock"), "w")
        self.addCleanup(lock.close)
        fcntl.flock(lock, fcntl.LOCK_EX)
        self.s.env["TAVORA_HANDOFF_WAIT_SECONDS"] = "2"
        started = time.time()
        p = self.s.launch("-add/music/x.mp3")
        out, err = p.communicate(timeout=30)
        self.assertEqual(p.returncode, 1)
        self.assertIn("was not handed over", err.decode())
        self.assertLess(time.time() - started, 20)


if __name__ == "__main__":
    unittest.main(verbosity=2)
