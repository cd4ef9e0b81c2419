"""Songs in ZIP, RAR and ALZ archives: dropped on the playlist window and handed over on
the command line, they become rows marked "압축" that play from the install folder's
Temp; deleting a row deletes its file, the exit sweep removes what is not a song, and
after a restart the rows come back and still play (heard in the wav: output)."""
import json
import os
import signal
import subprocess
import unittest

from audio_analysis import frequency, quiet_after_sound, read_recording, sounding_span
from tavora_e2e import DesktopActions, DragSource, PlayerSession, SOURCE, STAGE, wait_until
from test_playlist_window import ROW, list_skin

CONTROL = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Control"
VIEW = r"HKLM\SOFTWARE\TavoraPlayer\Setting\View"
SIZE = r"HKLM\SOFTWARE\TavoraPlayer\Setting\Size"
PLAYLIST = r"SOFTWARE\TavoraPlayer\PlayList"
MAKE_ARCHIVE = os.path.join(SOURCE, "tests", "archive", "make_archive.py")


def make_tone(path, seconds, freq):
    subprocess.run(["sox", "-q", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", str(seconds),
                    "sine", str(freq), "vol", "0.5"], check=True)
    return path


class ArchivesTest(DesktopActions, unittest.TestCase):
    def setUp(self):
        self.s = PlayerSession()
        self.addCleanup(self.s.close)
        # An install folder of this test's own, so its Temp is too.
        self.install = os.path.join(self.s.dir, "install")
        os.makedirs(self.install)
        for name in ("skin", "system"):
            os.symlink(os.path.join(STAGE, "share", "TavoraPlayer", name), os.path.join(self.install, name))
        self.s.reg("add", r"HKLM\SOFTWARE\TavoraPlayer", "/v", "Install_Dir", "/t", "REG_SZ", "/d", self.install)
        for key, name, value in [(CONTROL, "BeginPlay", 0), (CONTROL, "StartOpen", 1), (VIEW, "List", 1),
                                 (SIZE, "Tavora.Size.Left", 300), (SIZE, "Tavora.Size.Top", 80)]:
            self.s.reg("add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value))
        self.media = os.path.join(self.s.dir, "media")
        os.makedirs(self.media)
        self.skin = list_skin()

    def temp(self, name):
        return os.path.join(self.install, "Temp", name)

    def make(self, name, entries):
        out = os.path.join(self.media, name)
        subprocess.run(["python3", MAKE_ARCHIVE, out, json.dumps(entries)], check=True)
        return out

    def record(self, tag):
        wav = os.path.join(self.s.dir, f"heard-{tag}.wav")
        self.s.env["TAVORA_AUDIO_OUTPUT"] = "wav:" + wav
        return wav

    def wait_archive(self, path, songs):
        self.s.wait_log(f"archive {path}: {songs} song(s) added")

    def stored_rows(self):
        count = self.s.dword(PLAYLIST + r"\Count", "ListCount") or 0
        return [tuple(self.s.string(PLAYLIST + "\\" + column, str(i)) for column in ("Name", "Time", "Path"))
                for i in range(count)]

    def row_point(self, wid, row):
        x, y, _, _ = self.geometry(wid)
        left = self.skin["ID_LIST_ILEFTCENTERDOT"][2]
        top = self.skin["ID_LIST_ILISTSCROLLTOP"][1] + self.skin["ID_LIST_ILISTSCROLLTOP"][3]
        return x + left + 60, y + top + row * ROW + ROW // 2

    def drop(self, wid, paths):
        """Drags `paths` from the drag source onto the middle of window `wid` (XDND)."""
        source = DragSource(self.s.env, paths)
        sx, sy, sw, sh = self.geometry(self.s.wait_window("TavoraDragSource"))
        self.drag((sx + sw // 2, sy + sh // 2), self.row_point(wid, 1), steps=25, accepted=source.accepted)
        self.assertIn("dropped 1", source.result())

    def heard_frequency(self, wav):
        rate, heard = read_recording(wav)
        span = sounding_span(rate, heard)
        self.assertIsNotNone(span, "nothing was heard")
        middle = heard[int((span[0] + 0.2) * rate):int((span[0] + 0.8) * rate)]
        return frequency(rate, middle)

    def test_archives_dropped_and_handed_over_play_delete_sweep_and_come_back(self):
        s = self.s
        a = make_tone(os.path.join(self.media, "a.wav"), 1.0, 440)
        b = make_tone(os.path.join(self.media, "b.wav"), 1.0, 660)
        c = make_tone(os.path.join(self.media, "c.wav"), 1.0, 880)
        zip_path = os.path.join(self.media, "songs.zip")
        with open(os.path.join(self.media, "cover.jpg"), "w") as f:
            f.write("not a picture")
        subprocess.run(["zip", "-qj", zip_path, a, os.path.join(self.media, "cover.jpg")], check=True)
        rar = self.make("더 많은.rar", [{"name": "disc", "folder": True}, {"name": "disc/b.wav", "file": b}])
        alz = self.make("old.alz", [{"name": "c.wav", "file": c}, {"name": "liner.txt", "data": "notes"}])
        later = self.make("later.rar", [{"name": "d.WAV", "file": a}])

        # "-s" with an archive: its song plays once extracted.
        wav = self.record("first")
        s.start("-s" + zip_path)
        s.wait_ready()
        self.wait_archive(zip_path, 1)
        wait_until(lambda: quiet_after_sound(wav, 0.3), what="the zipped song played", interval=0.3)
        self.assertAlmostEqual(self.heard_frequency(wav), 440, delta=10)

        # Two archives dropped on the playlist window, one handed over by a later launch.
        plist = s.wait_window("TavoraPlayer List")
        self.drop(plist, [rar, alz])
        self.wait_archive(rar, 1)
        self.wait_archive(alz, 2)
        p = s.launch("-s" + later)
        _, err = p.communicate(timeout=60)
        self.assertEqual(p.returncode, 0, err.decode())
        self.wait_archive(later, 1)
        for name in ("a.wav", "cover.jpg", "disc/b.wav", "c.wav", "liner.txt", "d.WAV"):
            self.assertTrue(os.path.isfile(self.temp(name)), name)

        # Row 0 is the zip's song: select it and delete it with the Delete key.
        self.pointer_to(*self.row_point(plist, 0))
        self.xdo("click", "1")
        self.xdo("key", "Delete")
        wait_until(lambda: not os.path.exists(self.temp("a.wav")), what="the deleted row's file gone")

        # Exit: the rows are saved, the sweep removes what is not a song.
        self.assertEqual(s.stop(signal.SIGTERM), 0, s.read_log())
        rows = self.stored_rows()
        self.assertEqual(sorted(r[2] for r in rows),
                         sorted(self.temp(n) for n in ("disc/b.wav", "c.wav", "liner.txt", "d.WAV")))
        self.assertTrue(all(r[1] == "압축" for r in rows), rows)
        self.assertFalse(os.path.exists(self.temp("cover.jpg")))
        self.assertFalse(os.path.exists(self.temp("liner.txt")))
        self.assertTrue(os.path.isfile(self.temp("disc/b.wav")))

        # Restart: the rows are back and play ("BeginPlay" plays the restored list, so
        # nothing has to guess when the restore on its worker is done).
        freq = {self.temp("disc/b.wav"): 660, self.temp("c.wav"): 880, self.temp("d.WAV"): 440}
        s.reg("add", CONTROL, "/v", "BeginPlay", "/t", "REG_DWORD", "/d", "1")
        wav = self.record("again")
        s.start()
        s.wait_ready()
        wait_until(lambda: quiet_after_sound(wav, 0.3), what="a restored row played", interval=0.3)
        heard = self.heard_frequency(wav)
        self.assertTrue(any(abs(heard - freq[r[2]]) < 10 for r in rows if r[2] in freq), (heard, rows))
        self.assertEqual(s.stop(signal.SIGTERM), 0, s.read_log())

if __name__ == "__main__":
    unittest.main()
