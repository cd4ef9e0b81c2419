"""A running player takes the command lines of later launches, one number each."""
import fcntl
import os
import re
import signal
import sqlite3
import subprocess
import time
import unittest

from tavora_e2e import PlayerSession

OUTFILE = r"SOFTWARE\TavoraPlayer\OutFile"


PLAYLIST = r"SOFTWARE\TavoraPlayer\PlayList"


class HandOffTest(unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession()
        self.addCleanup(self.s.close)

    def save_playlist(self, paths):
        self.s.reg("add", "HKLM\\" + PLAYLIST + "\\Count", "/v", "ListCount", "/t", "REG_DWORD", "/d", str(len(paths)))
        for i, path in enumerate(paths):
            for column, text in (("Name", os.path.basename(path)), ("Time", "01:00"), ("Path", path)):
                self.s.reg("add", "HKLM\\" + PLAYLIST + "\\" + column, "/v", str(i), "/t", "REG_SZ", "/d", text)

    def stored_paths(self):
        count = self.s.dword(PLAYLIST + "\\Count", "ListCount")
        return [self.s.string(PLAYLIST + "\\Path", str(i)) for i in range(count)]

    def test_fifty_launches_at_once_each_deliver_their_argument(self):
        self.s.start()
        self.s.wait_ready()
        args = [f"-add/music/곡 {i:02d}.mp3" for i in range(50)]
        launches = [self.s.launch(a) for a in args]
        for p in launches:
            out, err = p.communicate(timeout=120)
            self.assertEqual(p.returncode, 0, err.decode())
            # A launch has no event loop: nothing of it may need one.
            self.assertEqual(err.decode(), "")
        self.assertEqual(self.s.dword(OUTFILE, "count"), 50)
        stored = {self.s.string(OUTFILE, str(n)) for n in range(1, 51)}
        self.assertEqual(stored, set(args))
        # The running player handled each number once, with its own argument.
        handled = re.findall(r"argument (\d+) (-add/music/곡 \d\d\.mp3)", self.s.read_log())
        self.assertEqual(sorted(int(n) for n, _ in handled), list(range(1, 51)))
        self.assertEqual({a for _, a in handled}, set(args))
        count = 50

        # A launch without arguments changes nothing; a bare path is taken and ignored.
        p = self.s.launch()
        p.communicate(timeout=30)
        self.assertEqual(p.returncode, 0)
        self.assertEqual(self.s.dword(OUTFILE, "count"), count)
        p = self.s.launch("/music/bare.mp3")
        p.communicate(timeout=30)
        self.assertEqual(p.returncode, 0)
        count += 1
        self.assertEqual(self.s.dword(OUTFILE, "count"), count)

        # A long argument (beyond the limit of a saved path) arrives whole.
        long_arg = "-add/music/" + "긴 이름 " * 150 + ".mp3"
        self.assertGreater(len(long_arg.encode()), 1024)
        p = self.s.launch(long_arg)
        out, err = p.communicate(timeout=30)
        self.assertEqual(p.returncode, 0, err.decode())
        count += 1
        self.s.wait_log(f"argument {count} {long_arg}")

        # Archives are handed over like songs; the archive reader takes them from there.
        for arg in ("-add/music/songs.zip", "-s/music/songs.RAR", "-add/music/old.alz"):
            p = self.s.launch(arg)
            out, err = p.communicate(timeout=30)
            self.assertEqual(p.returncode, 0, err.decode())
            count += 1
            self.s.wait_log(f"argument {count} {arg}")
        self.assertEqual(self.s.dword(OUTFILE, "count"), count)
        self.assertIsNone(self.s.player.poll())

        # SIGTERM closes the player as Exit does.
        self.assertEqual(self.s.stop(signal.SIGTERM), 0)
        self.assertEqual(self.s.dword(OUTFILE, "count"), 0)
        self.assertEqual(self.s.dword(r"SOFTWARE\TavoraPlayer", "UpdateCheck"), 0)

    def test_first_instance_takes_its_own_command_line_as_argument_one(self):
        self.s.start("-add/music/first.mp3")
        self.s.wait_ready()
        self.s.wait_log("argument 1 -add/music/first.mp3")
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


    def test_add_at_start_appends_to_the_saved_playlist(self):
        saved = ["/music/a.mp3", "/music/b.mp3", "/music/c.mp3"]
        self.save_playlist(saved)
        self.s.start("-add/music/new.mp3")
        self.s.wait_ready()
        self.s.wait_log("argument 1 -add/music/new.mp3")
        self.assertEqual(self.s.stop(signal.SIGTERM), 0)
        self.assertEqual(self.stored_paths(), saved + ["/music/new.mp3"])

    def test_open_at_start_begins_a_new_playlist(self):
        self.save_playlist(["/music/a.mp3", "/music/b.mp3"])
        self.s.reg("add", r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control", "/v", "StartOpen", "/t", "REG_DWORD", "/d", "0")
        self.s.start("-s/music/new.mp3")
        self.s.wait_ready()
        self.s.wait_log("argument 1 -s/music/new.mp3")
        self.assertEqual(self.s.stop(signal.SIGTERM), 0)
        self.assertEqual(self.stored_paths(), ["/music/new.mp3"])

    def test_an_unusable_runtime_folder_is_named_and_the_hand_off_still_works(self):
        # A runtime folder below a plain file: nobody can make it, not even root.
        with open(os.path.join(self.s.dir, "plain"), "w") as f:
            f.write("x")
        gone = os.path.join(self.s.dir, "plain", "runtime")
        tmp = os.path.join(self.s.dir, "tmp")
        os.makedirs(tmp)
        self.s.env["XDG_RUNTIME_DIR"] = gone
        self.s.env["TMPDIR"] = tmp
        folder = os.path.join(tmp, f"TavoraPlayer-{os.getuid()}")
        self.s.socket_path = lambda: os.path.join(folder, "TavoraPlayer List")
        self.s.start()
        self.s.wait_ready()
        self.assertIn(os.path.join(gone, "TavoraPlayer_List.lock"), self.s.read_log())
        self.assertIn("Not a directory", self.s.read_log())
        p = self.s.launch("-add/music/handed.mp3")
        out, err = p.communicate(timeout=60)
        self.assertEqual(p.returncode, 0, err.decode())
        self.s.wait_log("argument 1 -add/music/handed.mp3")
        self.assertIsNone(self.s.player.poll())

    def test_a_damaged_store_is_moved_aside_and_the_player_starts(self):
        store = self.s.env["TAVORA_REGISTRY"]
        with open(store, "wb") as f:
            f.write(b"not a settings store\n" * 500)
        self.s.start()
        self.s.wait_ready()
        self.s.wait_log("was damaged")
        aside = [n for n in os.listdir(self.s.dir) if n.startswith("registry.db.corrupt-")]
        self.assertEqual(len(aside), 1, os.listdir(self.s.dir))
        self.assertIn(os.path.join(self.s.dir, aside[0]), self.s.read_log())
        self.assertEqual(self.s.stop(signal.SIGTERM), 0)
        self.assertEqual(self.s.dword(OUTFILE, "count"), 0)

    def test_a_store_locked_by_another_program_holds_up_start_and_exit_only_briefly(self):
        db = sqlite3.connect(self.s.env["TAVORA_REGISTRY"], isolation_level=None)
        self.addCleanup(db.close)
        for sql in ("PRAGMA locking_mode=EXCLUSIVE", "BEGIN EXCLUSIVE", "CREATE TABLE held(x)", "COMMIT"):
            db.execute(sql)  # in exclusive locking mode the lock stays until the connection closes
        self.s.start()
        self.s.wait_ready(timeout=120)
        self.assertEqual(self.s.stop(signal.SIGTERM, timeout=120), 0)
        self.assertEqual(self.s.read_log().count("is locked by another program"), 1, self.s.read_log())


if __name__ == "__main__":
    unittest.main(verbosity=2)
