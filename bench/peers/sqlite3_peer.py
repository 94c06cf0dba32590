#!/usr/bin/env python3
"""Python's sqlite3 module as a peer: fetches every row of the peers' table and touches each value,
printing the seconds and checksum of one read in the same form as the C++ peers (Checksum.h)."""
import pathlib
import sqlite3
import sys
import time


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: sqlite3_peer.py FILE")
    path = pathlib.Path(sys.argv[1]).absolute()
    if not path.is_file():
        sys.exit(f"sqlite3_peer.py: {path} does not exist")
    start = time.perf_counter()
    con = sqlite3.connect(path.as_uri() + "?mode=ro", uri=True)
    rows = con.execute("SELECT * FROM bench").fetchall()
    ids = cents = chars = days = trues = 0
    for id_, code, city, amount, day, active, note in rows:
        ids += id_
        for text in (code, city, note):
            if text is not None:
                chars += len(text)
        if amount is not None:
            cents += round(amount * 100)
        days += day is not None
        trues += active != 0
    con.close()
    seconds = time.perf_counter() - start
    print(f"seconds={seconds:.6f} rows={len(rows)} ids={ids} cents={cents} chars={chars} days={days} "
          f"trues={trues}")


if __name__ == "__main__":
    main()
