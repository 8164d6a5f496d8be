#!/usr/bin/env python3
"""Writes the schematic territorial base shipped with the program.

    python3 make_schematic_base.py [OUTDIR]

Real municipality outlines are not part of the program's data, so this base draws every
municipality as a square cell of one grid, grouped into one rectangular block per province; the
blocks sit in bands roughly from north to south. It reads the municipality names and province
starts of the program directory (data/progdir/cmn-zor2.dat, ini-prov.imp) and writes, into OUTDIR
(default data/territory/geolar/):

  cmn-zor2.dat   copy of the names, 8101 records of 38 bytes (map comune k = code k)
  dov-zor.dat    one byte per code: the outline file (always 1)
  mmx-zor.dat    20 bytes per code: the code, then x1, x2, y1, y2 of the cell (int32); unused
                 codes get a box far outside every view (-30000)
  1-zor.dat      one record of 240 bytes per code (cap 20): X[1..20], Y[1..20], E[1..20] int32;
                 the cell is the closed ring of five vertices (the first repeated last), E[j] the
                 comune across the edge from vertex j to vertex j+1 (0 on the outer boundary),
                 X[6] = -30000 ends the outline, Y[17], Y[18] the label point (cell centre);
                 an unused code's outline is X[1] = -30000
  2-zor.dat .. 8-zor.dat  empty (no municipality uses them)
  ter-zor.dat    records of 50 int32; variable 0 makes every comune its own unit (k + 333),
                 variable 1 holds the province (p + 333); 8100 values per variable
  kel-trad.dat   8101 int16: archive code j -> map comune j
  sig-zor2.txt   unit names: a heading, then per variable a header and one line per unit
  mod-zor.dat    names of the variables offered for thick borders, 101-byte short strings
  lst-sigl.txt   the sigle sets: one line, "Sigle delle province;sig-prov"
  sig-prov.txt   the province abbreviation at the central cell of each province block
  leg-colo.dat   the nine default legend colours
  car-tres.dat   font heights: screen, then printer (sigle, names, values, legend title)

The output depends only on the two input files: running it twice gives the same bytes.
"""

import os
import struct
import sys

TERRITORY_COUNT = 8101
VARIABLE_LENGTH = 8100
NAME_RECORD = 38
CELL = 96  # outline units per cell side: 3 pixels on the base map
CAP = 20  # entries of an outline record in "1-zor.dat"
FAR = -30000  # box of a code without municipality, outside every view

# Abbreviations of the 103 provinces of the 1995-2005 numbering, in code order (ISTAT, "Sigla
# automobilistica" of the list of municipalities at 1 January 2020, CC BY 3.0 IT).
SIGLE = (
    "TO VC NO CN AT AL AO IM SV GE SP VA CO SO MI BG BS PV CR MN BZ TN VR VI BL TV VE PD RO UD GO TS "
    "PC PR RE MO BO FE RA FC PU AN MC AP MS LU PT FI LI PI AR SI GR PG TR VT RI RM LT FR CE BN NA AV "
    "SA AQ TE PE CH CB FG BA TA BR LE PZ MT CS CZ RC TP PA ME AG CL EN CT RG SR SS NU CA PN IS OR BI "
    "LC LO RN PO KR VV VB"
).split()

# Bands of province blocks: (top row, height in cells, [(left column, provinces west to east)]).
# Blocks in one band touch; bands of the mainland touch the band below; the islands stand apart.
BANDS = [
    (4, 8, [(58, "AO VB SO BZ TN BL UD")]),
    (12, 14, [(40, "TO BI VC NO VA CO LC BG BS VR VI TV PN GO TS")]),
    (26, 12, [(40, "CN AT AL PV MI LO CR MN PD VE RO")]),
    (38, 6, [(44, "IM SV GE SP PC PR RE MO BO FE RA FC RN")]),
    (44, 8, [(86, "MS LU PI PT PO FI AR PU AN")]),
    (52, 8, [(90, "LI SI PG MC AP TE")]),
    (60, 8, [(94, "GR TR VT RI AQ PE CH")]),
    (64, 10, [(62, "SS NU")]),
    (68, 8, [(104, "RM FR IS CB FG")]),
    (74, 10, [(64, "OR CA")]),
    (76, 8, [(112, "LT CE BN AV BA BR")]),
    (84, 9, [(120, "NA SA PZ MT TA LE")]),
    (93, 8, [(134, "CS")]),
    (101, 8, [(136, "VV CZ KR")]),
    (109, 8, [(138, "RC")]),
    (112, 6, [(100, "TP PA ME")]),
    (118, 6, [(104, "AG CL EN CT")]),
    (124, 4, [(118, "RG SR")]),
]

LEGEND_COLOURS = (0xFFFFFF, 0xFFFF88, 0xFFFF00, 0x88FF00, 0x00FF00, 0x888800, 0x008800, 0x880000, 0x000000)
# Screen heights (pixels), then printer heights (printer pixels at 1200 dpi).
FONT_HEIGHTS = (11, 9, 9, 13, 120, 100, 100, 160)


def read_inputs(progdir):
    with open(os.path.join(progdir, "cmn-zor2.dat"), "rb") as f:
        names_table = f.read()
    if len(names_table) != TERRITORY_COUNT * NAME_RECORD:
        sys.exit("cmn-zor2.dat does not hold %d records" % TERRITORY_COUNT)
    names = []
    for k in range(TERRITORY_COUNT):
        rec = names_table[k * NAME_RECORD:(k + 1) * NAME_RECORD]
        names.append(rec[1:1 + min(rec[0], NAME_RECORD - 1)])
    with open(os.path.join(progdir, "ini-prov.imp"), "rb") as f:
        lines = [l for l in f.read().split(b"\r\n") if l.strip()]
    provinces = []  # (name, first code)
    for line in lines:
        provinces.append((line[5:], int(line[:4])))
    if len(provinces) != len(SIGLE):
        sys.exit("ini-prov.imp lists %d provinces, expected %d" % (len(provinces), len(SIGLE)))
    return names_table, names, provinces


def province_codes(names, provinces):
    """Codes of each province: from its first code up to the next province's, names not empty."""
    out = []
    for p, (_, first) in enumerate(provinces):
        last = provinces[p + 1][1] - 1 if p + 1 < len(provinces) else TERRITORY_COUNT
        out.append([c for c in range(first, last + 1) if names[c - 1]])
    return out


def lay_out(codes_of):
    """Cell (column, row) of every used code, and the label cell of every province."""
    index = {s: p for p, s in enumerate(SIGLE)}
    cell = {}
    centre = {}
    placed = set()
    for top, height, segments in BANDS:
        for left, sigle in segments:
            x = left
            for s in sigle.split():
                p = index[s]
                if p in placed:
                    sys.exit("province %s placed twice" % s)
                placed.add(p)
                codes = codes_of[p]
                width = -(-len(codes) // height)
                cells = []
                # Column by column, top to bottom: the last column may be short.
                for i, code in enumerate(codes):
                    cell[code] = (x + i // height, top + i % height)
                    cells.append((cell[code], code))
                cx = x + width / 2.0
                cy = top + min(height, len(codes)) / 2.0
                # The cell nearest the block's middle carries the abbreviation (lowest code on ties).
                centre[p] = min(cells, key=lambda t: ((t[0][0] + 0.5 - cx) ** 2 + (t[0][1] + 0.5 - cy) ** 2, t[1]))[1]
                x += width
    if len(placed) != len(SIGLE):
        missing = [SIGLE[p] for p in range(len(SIGLE)) if p not in placed]
        sys.exit("provinces not placed: %s" % " ".join(missing))
    if len(set(cell.values())) != len(cell):
        sys.exit("two municipalities share a cell")
    return cell, centre


def outline_record(code, cell, at):
    xs = [0] * CAP
    ys = [0] * CAP
    es = [0] * CAP
    if code not in cell:
        xs[0] = -30000
        return struct.pack("<%di" % (3 * CAP), *(xs + ys + es))
    cx, cy = cell[code]
    x0, y0 = cx * CELL, cy * CELL
    x1, y1 = x0 + CELL, y0 + CELL
    ring = [(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0)]
    # Edge j runs from vertex j to vertex j + 1: top, right, bottom, left.
    sides = [at.get((cx, cy - 1), 0), at.get((cx + 1, cy), 0), at.get((cx, cy + 1), 0), at.get((cx - 1, cy), 0)]
    for j, (x, y) in enumerate(ring):
        xs[j], ys[j] = x, y
    es[:4] = sides
    es[4] = sides[0]  # the repeated first vertex: a zero-length edge
    xs[len(ring)] = -30000
    ys[CAP - 4] = x0 + CELL // 2  # Y[cap-3]
    ys[CAP - 3] = y0 + CELL // 2  # Y[cap-2]
    return struct.pack("<%di" % (3 * CAP), *(xs + ys + es))


def box_record(code, cell):
    if code not in cell:
        return struct.pack("<5i", code, FAR, FAR, FAR, FAR)
    cx, cy = cell[code]
    return struct.pack("<5i", code, cx * CELL, (cx + 1) * CELL, cy * CELL, (cy + 1) * CELL)


def padded(text, width):
    return text[:width] + b" " * max(0, width - len(text))


def short_string(text, width):
    text = text[:width]
    return bytes([len(text)]) + text + bytes(width - len(text))


def crlf(lines):
    return b"".join(l + b"\r\n" for l in lines)


def build(progdir):
    names_table, names, provinces = read_inputs(progdir)
    codes_of = province_codes(names, provinces)
    cell, centre = lay_out(codes_of)
    at = {xy: code for code, xy in cell.items()}
    province_of = {c: p + 1 for p, codes in enumerate(codes_of) for c in codes}
    codes = range(1, TERRITORY_COUNT + 1)

    files = {}
    files["cmn-zor2.dat"] = names_table
    files["dov-zor.dat"] = bytes([1]) * TERRITORY_COUNT
    files["mmx-zor.dat"] = b"".join(box_record(c, cell) for c in codes)
    files["1-zor.dat"] = b"".join(outline_record(c, cell, at) for c in codes)
    for n in range(2, 9):
        files["%d-zor.dat" % n] = b""
    own = [k + 333 if names[k - 1] else 0 for k in range(1, VARIABLE_LENGTH + 1)]
    province = [province_of[k] + 333 if k in province_of else 0 for k in range(1, VARIABLE_LENGTH + 1)]
    files["ter-zor.dat"] = struct.pack("<%di" % (2 * VARIABLE_LENGTH), *(own + province))
    files["kel-trad.dat"] = struct.pack("<%dh" % TERRITORY_COUNT, *codes)

    units = [b"Unita' territoriali dello schema", b"000c Comuni"]
    units += [b" %05d" % k + padded(names[k - 1], 30) for k in range(1, VARIABLE_LENGTH + 1)]
    units.append(b"001q Province")
    units += [b" %05d" % (p + 1) + padded(name, 30) for p, (name, _) in enumerate(provinces)]
    files["sig-zor2.txt"] = crlf(units)
    files["mod-zor.dat"] = short_string(b"Comuni", 100) + short_string(b"Province", 100)

    files["lst-sigl.txt"] = crlf([b"Sigle delle province;sig-prov"])
    files["sig-prov.txt"] = crlf([b"%4d " % centre[p] + SIGLE[p].encode() for p in range(len(SIGLE))])
    files["leg-colo.dat"] = struct.pack("<9I", *LEGEND_COLOURS)
    files["car-tres.dat"] = struct.pack("<8i", *FONT_HEIGHTS)
    return files


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    if len(sys.argv) > 2:
        sys.exit(__doc__)
    outdir = sys.argv[1] if len(sys.argv) == 2 else os.path.join(here, "geolar")
    files = build(os.path.join(here, "..", "progdir"))
    os.makedirs(outdir, exist_ok=True)
    for name in sorted(files):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(files[name])
    print("%s: %d files, %d bytes" % (outdir, len(files), sum(len(b) for b in files.values())))


if __name__ == "__main__":
    main()
