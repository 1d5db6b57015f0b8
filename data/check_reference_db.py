#!/usr/bin/env python3
"""Checks a built FlightTables1.mdb against the layout the program reads.

    python3 data/check_reference_db.py build/bin/FlightTables1.mdb

Exits non-zero and names the problem when a check fails.
"""

import sqlite3
import sys

SUFFIXES = ["L39", "Su24", "Su25", "Su27", "MiG29", "MiG31"]
UNSORTED = "Su25"
INT16_MAX = 32767


def fail(msg):
    sys.exit(f"FAIL: {msg}")


def check(db):
    con = sqlite3.connect(f"file:{db}?mode=ro", uri=True)
    views = {r[0] for r in con.execute("SELECT name FROM sqlite_master WHERE type = 'view'")}
    for s in SUFFIXES:
        for kind in ("Pod", "Obl"):
            if f"Z_Time_{kind}_{s}" not in views:
                fail(f"view Z_Time_{kind}_{s} missing")

        rows = con.execute(f"SELECT * FROM Z_Time_Pod_{s}").fetchall()
        keys = [r[0] for r in rows]
        if any(len(r) != 2 for r in rows):
            fail(f"Pod {s}: not two columns")
        if any(not isinstance(v, int) or not 0 <= v <= INT16_MAX for r in rows for v in r):
            fail(f"Pod {s}: value not a whole number in 0..32767")
        if len(set(keys)) != len(keys) or 0 not in keys or max(keys) != 12000:
            fail(f"Pod {s}: keys must be distinct, include 0 and end at 12000")
        if dict(rows)[0] != 0:
            fail(f"Pod {s}: 0 m must give 0 s")
        ordered = sorted(rows)
        if s == UNSORTED and rows == ordered:
            fail(f"Pod {s}: meant to come out unsorted")
        if s != UNSORTED and rows != ordered:
            fail(f"Pod {s}: rows not in height order")
        if any(b[1] < a[1] for a, b in zip(ordered, ordered[1:])):
            fail(f"Pod {s}: time decreases with height")

        rows = con.execute(f"SELECT * FROM Z_Time_Obl_{s}").fetchall()
        head, data = rows[0], rows[1:]
        if head[0] != -1:
            fail(f"Obl {s}: first record is not the key row")
        cols = list(head[1:])
        if cols != sorted(set(cols)) or len(head) > 24:
            fail(f"Obl {s}: column keys not increasing or table too wide")
        rkeys = [r[0] for r in data]
        if len(set(rkeys)) != len(rkeys) or min(rkeys) != 0 or min(cols + rkeys) <= head[0]:
            fail(f"Obl {s}: row keys")
        if (s == UNSORTED) == (rkeys == sorted(rkeys)):
            fail(f"Obl {s}: row order")
        for r in data:
            if len(r) != len(head):
                fail(f"Obl {s}: ragged row")
            if any(not isinstance(v, int) or not 0 <= v <= INT16_MAX for v in r):
                fail(f"Obl {s}: value out of range in row {r[0]}")
            for key, v in zip(cols, r[1:]):
                if s == "L39" and (v == 0) != (key <= r[0]):
                    fail(f"Obl L39: base {r[0]} top {key} gives {v}")
                if s != "L39" and v <= 0:
                    fail(f"Obl {s}: base {r[0]} thickness {key} gives {v}")
        print(f"{s:6} Pod {len(keys)} heights {min(keys)}..{max(keys)};"
              f" Obl {len(data)} bases {min(rkeys)}..{max(rkeys)},"
              f" {len(cols)} columns {cols[0]}..{cols[-1]}")

    ex = con.execute("SELECT exercise, OpisKratko FROM ExercisesKLP ORDER BY exercise").fetchall()
    nums = [n for n, _ in ex]
    if nums != list(range(1, 99)) + list(range(101, 199)) + list(range(201, 235)):
        fail("ExercisesKLP numbers")
    for n, d in ex:
        if not isinstance(n, int) or not isinstance(d, str) or len(d) > 60 or len(d) < 15:
            fail(f"exercise {n}")
        if d[3] != " " or d[9] != " " or d[4:10] not in ("День. ", "Ночь. "):
            fail(f"exercise {n}: lead {d[:10]!r}")
        if (d[4:10] == "День. ") != (n < 100 or 201 <= n <= 227):
            fail(f"exercise {n}: day/night")
    print(f"ExercisesKLP {len(ex)} rows")
    print("OK")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    check(sys.argv[1])
