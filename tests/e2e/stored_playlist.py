"""The player's playlist as its settings store holds it, read and written straight
through SQLite (100,000 rows through tavora-reg would take minutes): a Count key with
ListCount, and Name, Time and Path keys with one value per row, named by row number."""
import sqlite3

PLAYLIST = "SOFTWARE\\TavoraPlayer\\PlayList\\"


def write_playlist(db, rows):
    con = sqlite3.connect(db, timeout=30)
    with con:
        for column in ("Name", "Time", "Path", "Count"):
            con.execute("INSERT OR IGNORE INTO keys(hive, path) VALUES(0, ?)", (PLAYLIST + column,))
            con.execute("DELETE FROM vals WHERE hive = 0 AND path = ?", (PLAYLIST + column,))
        con.execute("INSERT INTO vals VALUES(0, ?, 'ListCount', 4, ?, NULL)", (PLAYLIST + "Count", len(rows)))
        for index, column in enumerate(("Name", "Time", "Path")):
            con.executemany("INSERT INTO vals VALUES(0, ?, ?, 1, NULL, ?)",
                            ((PLAYLIST + column, str(i), row[index]) for i, row in enumerate(rows)))
    con.execute("PRAGMA wal_checkpoint(TRUNCATE)")
    con.close()


def read_playlist(db):
    """(stored count, rows); a row is (title, time, path), None where a column lacks it."""
    con = sqlite3.connect(db, timeout=30)
    try:
        found = con.execute("SELECT num FROM vals WHERE hive = 0 AND path = ? AND name = 'ListCount'",
                            (PLAYLIST + "Count",)).fetchone()
        columns = [dict(con.execute("SELECT name, txt FROM vals WHERE hive = 0 AND path = ?",
                                    (PLAYLIST + column,)))
                   for column in ("Name", "Time", "Path")]
    finally:
        con.close()
    names = set().union(*columns)
    rows = [tuple(c.get(str(i)) for c in columns) for i in range(len(names))]
    return (found[0] if found else None), rows, names
