"""Playlist files handed to the running player ("-list", "-pls") fill its playlist, and
the playlist it saves at exit comes back at the next start."""
import os
import shutil
import subprocess
import tempfile
import threading
import unittest

from stored_playlist import read_playlist, write_playlist
from tavora_e2e import FolderServer, PlayerSession, wait_until

PLAYLIST = r"SOFTWARE\TavoraPlayer\PlayList"


def make_song(path, title, seconds, codec):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                    f"sine=frequency=440:sample_rate=44100:duration={seconds}", "-ac", "2",
                    "-metadata", f"title={title}", *codec, path], check=True, timeout=60)
    return path


class AddingHandOffTest(unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession()
        self.addCleanup(self.s.close)
        self.media = tempfile.mkdtemp(prefix="tavora-e2e-media-")
        self.addCleanup(shutil.rmtree, self.media, True)

    def stored_playlist(self):
        count = self.s.dword(PLAYLIST + r"\Count", "ListCount") or 0
        return [tuple(self.s.string(PLAYLIST + "\\" + column, str(i)) for column in ("Name", "Time", "Path"))
                for i in range(count)]

    def hand_over(self, argument):
        p = self.s.launch(argument)
        out, err = p.communicate(timeout=60)
        self.assertEqual(p.returncode, 0, err.decode())

    def test_list_and_pls_handoffs_fill_the_playlist_which_survives_restarts(self):
        first = make_song(os.path.join(self.media, "노래 하나.mp3"), "첫 노래", 2,
                          ["-c:a", "libmp3lame", "-b:a", "64k", "-id3v2_version", "3"])
        make_song(os.path.join(self.media, "two.ogg"), "Two", 3, ["-c:a", "libvorbis"])
        m3u = os.path.join(self.media, "목록.m3u")
        with open(m3u, "w", encoding="utf-8", newline="") as f:
            # A header, a title line that is not used, an absolute path, a missing file
            # and a path relative to the list's folder, with Windows line ends.
            f.write(f"#EXTM3U\r\n#EXTINF:123,not this title\r\n{first}\r\nmissing.mp3\r\ntwo.ogg\r\n")
        pls = os.path.join(self.media, "radio.pls")
        with open(pls, "w", encoding="utf-8") as f:
            f.write("[playlist]\nNumberOfEntries=2\nFile1=http://radio.example.invalid/live\n"
                    "Title1=ignored\nFile2=/music/elsewhere.mp3\nVersion=2\n")
        m3u_rows = [("첫 노래", "00:02", first), ("Two", "00:03", os.path.join(self.media, "two.ogg"))]
        pls_rows = [("http://radio.example.invalid/live", "URL", "http://radio.example.invalid/live"),
                    ("/music/elsewhere.mp3", "---", "/music/elsewhere.mp3")]

        # A running player takes a list from a later launch and says when it is in; it
        # is saved at exit.
        self.s.start()
        self.s.wait_ready()
        self.hand_over("-list" + m3u)
        self.s.wait_log(f"list {m3u} loaded: 2 rows")
        self.assertEqual(self.s.stop(), 0)
        self.assertEqual(self.stored_playlist(), m3u_rows)

        # The next start restores it; a PLS list handed over at once, while the restore
        # may still run, waits for it and is appended after the restored rows.
        self.s.start()
        self.s.wait_ready()
        self.hand_over("-pls" + pls)
        self.s.wait_log(f"list {pls} loaded: 2 rows")
        self.assertEqual(self.s.stop(), 0)
        self.assertEqual(self.stored_playlist(), m3u_rows + pls_rows)

        # A start without arguments changes nothing.
        self.s.start()
        self.s.wait_ready()
        self.assertEqual(self.s.stop(), 0)
        self.assertEqual(self.stored_playlist(), m3u_rows + pls_rows)

    def test_closing_during_a_list_load_keeps_the_stored_list_and_a_part_of_the_new_one(self):
        song = make_song(os.path.join(self.media, "tone.mp3"), "Tone", 1,
                         ["-c:a", "libmp3lame", "-b:a", "64k", "-id3v2_version", "3"])
        entries = []
        for i in range(300):  # long enough to be cut off by the close
            entries.append(os.path.join(self.media, f"{i:03d}.mp3"))
            os.link(song, entries[-1])
        m3u = os.path.join(self.media, "long.m3u")
        with open(m3u, "w", encoding="utf-8") as f:
            f.write("#EXTM3U\n" + "".join(e + "\n" for e in entries))
        old = [(f"old {i}", "00:01", f"/music/old/{i}.mp3") for i in range(2000)]
        write_playlist(self.s.store_path(), old)

        # Handed over while the stored list is restoring, and closed at once.
        self.s.start()
        self.s.wait_ready()
        self.hand_over("-list" + m3u)
        self.assertEqual(self.s.stop(), 0)
        count, rows, _ = read_playlist(self.s.store_path())
        rows = rows[:count]
        self.assertEqual(rows[:len(old)], old, "the stored list comes first, whole")
        added = [path for _, _, path in rows[len(old):]]
        self.assertEqual(added, entries[:len(added)], "the new list's rows are its first entries, in order")
        print(f"  saved {len(added)} of the {len(entries)} entries of the list handed over")

    def test_address_typed_into_the_address_dialog_is_added_and_kept(self):
        make_song(os.path.join(self.media, "song.mp3"), "Web Song", 90,
                  ["-c:a", "libmp3lame", "-b:a", "64k", "-id3v2_version", "3"])
        server = FolderServer(self.media)
        self.addCleanup(server.close)
        port = server.port

        self.s.start()
        self.s.wait_ready()
        # "List Add Url" shows the dialog and returns once it is closed.
        done = threading.Thread(target=self.s.command, args=(32837, 60))
        done.start()
        dialog = [self.s.wait_window("주소 열기")]
        subprocess.run(["xdotool", "windowactivate", "--sync", dialog[0]], env=self.s.env, timeout=10)
        self.s.wait_focus(dialog[0])
        # Typed without a scheme: "http://" is put in front.
        subprocess.run(["xdotool", "type", "--delay", "20", f"127.0.0.1:{port}/song.mp3"], env=self.s.env,
                       timeout=30)
        subprocess.run(["xdotool", "key", "Return"], env=self.s.env, timeout=10)
        done.join(60)
        self.assertFalse(done.is_alive())
        address = f"http://127.0.0.1:{port}/song.mp3"
        # The address is checked on a worker and added once it opened (a close before
        # that would cut the check short, and nothing would be added).
        self.s.wait_log(f"address {address} added")
        self.assertEqual(self.s.stop(), 0)
        self.assertEqual(self.stored_playlist(), [("song.mp3", "URL", address)])


if __name__ == "__main__":
    unittest.main(verbosity=2)
