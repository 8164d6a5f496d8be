#!/usr/bin/env python3
"""Golden values of the MaxSim tests, worked out once from the written rules.

Exact fractions throughout; similarities are rounded half to even after scaling by 10000.
Run: python3 tests/elaborations/maxsim_golden.py  -- prints the expected files as C++ literals.
"""
from fractions import Fraction as Fr

# Grid of the test archive: (label, field, low, high). Field 1 sex, 2 area, 3 age (category
# words), 4 a date (day, month, year words; compared as the counts compare dates: years since
# 1900, the day word when the year word is not above 0, * 10000 + month * 100 + day), 5 a 32-bit
# number.
GRID = [
    ("Maschi", 1, 1, 1), ("Femmine", 1, 2, 2),
    ("Nord", 2, 1, 1), ("Centro", 2, 2, 2), ("Sud", 2, 3, 3),
    ("Giovani", 3, 1, 1), ("Anziani", 3, 2, 2),
    ("Anni 90", 4, 900101, 991231),
    ("Grandi", 5, 1000, 99999999),
    ("Mai", 1, 9, 9),
]
EMPTY32 = -9999999
# sex, area, age, (day, month, year), big
CARDS = [
    (1, 1, 1, (15, 6, 95), 5000),
    (2, 1, 2, (1, 1, 195), 500),  # 2095: out of "Anni 90", though 95 would be in
    (2, 2, 1, (3, 3, 103), EMPTY32),
    (1, 3, 2, (0, 0, 0), 1000),
    (1, 1, 1, (31, 12, 99), 123456),
    (2, 3, 2, (10, 10, 98), 2000),
    (2, 2, 2, (0, 0, 0), 0),
    (1, 2, 1, (5, 5, 97), 1500),
    (2, 1, 1, (1, 2, 96), 50),  # not selected
    (1, 3, 1, (7, 7, 91), 999),
]
SELECTED = [0, 1, 2, 3, 4, 5, 6, 7, 9]
# 0-based grid lines of the four lists
ROWS, COLUMNS, ADDED_ROWS, ADDED_COLUMNS = [2, 3, 4, 5, 6], [0, 1, 8], [7, 9], [5]
THRESHOLD = 50.0
INDEX = 3  # Jaccard
INDEX_TEXT = "4) Jaccard a/(a+c+d)"


def value(card, field):
    sex, area, age, (d, m, y), big = card
    return {1: sex, 2: area, 3: age, 4: (y if y > 0 else d) * 10000 + m * 100 + d, 5: big}[field]


def present(card, k):
    _, f, lo, hi = GRID[k]
    return lo <= value(card, f) <= hi


chosen = sorted(set(ROWS + COLUMNS + ADDED_ROWS + ADDED_COLUMNS))
V = len(chosen)
var_of_line = {line: i + 1 for i, line in enumerate(chosen)}
co = [[0] * V for _ in range(V)]
for n in SELECTED:
    p = [i for i, line in enumerate(chosen) if present(CARDS[n], line)]
    for x in p:
        for y in p:
            co[x][y] += 1


def pct(r, c):
    return Fr(0) if co[c][c] == 0 else Fr(co[r][c] * 100, co[c][c])


X = [[1 if pct(r, c) >= Fr(THRESHOLD) else 0 for c in range(V)] for r in range(V)]


def fmt0(q):  # width 4, no decimals, halves away from zero
    n = int(q + Fr(1, 2))
    return "%4d" % n


maxsim_txt = ["Variabili %d" % V, "".join("%4d" % (line + 1) for line in chosen)]
for r in range(V):
    maxsim_txt.append("".join(fmt0(pct(r, c)) if X[r][c] else "    " for c in range(V)))


def round_half_even(q):
    f = q.numerator // q.denominator
    rest = q - f
    if rest > Fr(1, 2) or (rest == Fr(1, 2) and f % 2 == 1):
        f += 1
    return f


def similarity(a, b, c, d):
    num, den = {
        0: (a + b, a + b + c + d), 1: (a + b, a + b + 2 * (c + d)), 2: (2 * (a + b), 2 * (a + b) + c + d),
        3: (a, a + c + d), 4: (a, a + 2 * (c + d)), 5: (2 * a, 2 * a + c + d),
    }[INDEX]
    return Fr(0) if den == 0 else Fr(num, den)


def order_pass(used_lines, added_lines, other_lines):
    A = [var_of_line[l] for l in used_lines] + [var_of_line[l] for l in added_lines]
    B = [var_of_line[l] for l in other_lines]
    U, M, T = len(used_lines), len(added_lines), len(A)
    S = [[0] * (T + 1) for _ in range(T + 1)]
    for i in range(1, T + 1):
        for j in range(1, T + 1):
            a = b = c = d = 0
            for t in B:
                xi, xj = X[t - 1][A[i - 1] - 1], X[t - 1][A[j - 1] - 1]
                a += xi and xj
                b += (not xi) and (not xj)
                c += xi and not xj
                d += (not xi) and xj
            s = similarity(a, b, c, d)
            if i == j and s == 0:
                s = Fr(1)
            S[i][j] = round_half_even(s * 10000)
    trace = ["Matrice delle similarita'", "", "variabili totali %d" % V,
             "colonne: %d di cui indipendenti %d e supplementari %d" % (T, U, M), "righe: %d" % len(B), "",
             " " * 8 + "".join("%8d" % k for k in range(1, T + 1))]
    for i in range(1, T + 1):
        trace.append("%5d - " % i + "".join("%8d" % S[i][j] for j in range(1, T + 1)))
    trace += ["", "Riordino:", ""]
    best, bi, bj = 0, 0, 0
    for i in range(1, U + 1):
        for j in range(1, U + 1):
            if i != j and S[i][j] > best:
                best, bi, bj = S[i][j], i, j
    O = [bi, bj]
    S[bi][bi] = S[bj][bj] = 0

    def step(sim):
        trace.append("%10d - " % sim + "".join("%5d" % e for e in O))

    step(best)
    for _ in range(U - 2):
        best, pick, side = -10, 0, None
        for x in range(1, U + 1):
            if S[x][x] <= 0:
                continue
            if S[x][O[-1]] > best:
                best, pick, side = S[x][O[-1]], x, "end"
            if S[x][O[0]] > best:
                best, pick, side = S[x][O[0]], x, "start"
        if side == "end":
            O.append(pick)
        else:
            O.insert(0, pick)
        S[pick][pick] = 0
        step(best)
    for m in range(1, M + 1):
        z = U + m
        best, p = -10, None
        for q, e in enumerate(O):
            if e > 0 and S[e][z] > best:
                best, p = S[e][z], q
        if p == 0:
            O.insert(0, -z)
        elif p == len(O) - 1:
            O.append(-z)
        elif S[abs(O[p + 1])][z] > S[abs(O[p - 1])][z]:
            O.insert(p + 1, -z)
        else:
            O.insert(p, -z)
        step(best)
    lines = [(1 if e > 0 else -1) * (chosen[A[abs(e) - 1] - 1] + 1) for e in O]
    return trace, O, lines


trace1, O1, L1 = order_pass(ROWS, ADDED_ROWS, COLUMNS)
trace2, O2, L2 = order_pass(COLUMNS, ADDED_COLUMNS, ROWS)

# Final table
label = {i + 1: GRID[i][0] for i in range(len(GRID))}
rows = [var_of_line[abs(l) - 1] for l in L1]
cols = [var_of_line[abs(l) - 1] for l in L2]
ff = ["MAXSIM, indice di similarita': %s - soglia:%7.2f%%" % (INDEX_TEXT, THRESHOLD), "------", "",
      "Variabili in colonna: ", ""]
for k, c in enumerate(cols, 1):
    ff.append("%3d -  %s" % (k, label[chosen[c - 1] + 1]))
ff.append("")
for i in range(3):
    ff.append(" " * 31 + "".join(("%3d" % k)[i] for k in range(1, len(cols) + 1)))
cells = []
for r in rows:
    lab = label[chosen[r - 1] + 1]
    row = [X[r - 1][c - 1] for c in cols]
    cells.append(row)
    ff.append("%30s " % lab + "".join("X" if x else " " for x in row) + " " + lab)
for i in range(3):
    ff.append(" " * 31 + "".join(("%-3d" % k)[i] for k in range(1, len(cols) + 1)))
pairs = equal = 0
for r in range(len(rows)):
    for c in range(len(cols)):
        if r + 1 < len(rows):
            pairs += 1
            equal += cells[r][c] == cells[r + 1][c]
        if c + 1 < len(cols):
            pairs += 1
            equal += cells[r][c] == cells[r][c + 1]
ss = Fr(equal, pairs) if pairs else Fr(0)
ff += ["", "SS: %8.5f" % ss]


def cpp_lines(name, lines):
    print("const char* const %s =" % name)
    for l in lines:
        print('    "%s\\r\\n"' % l.replace('"', '\\"'))
    print("    ;")


print("// co-occurrences", co)
print("const int kLines[] = {%s};" % ", ".join(str(l + 1) for l in chosen))
print("const char* const kMatrix =")
for r in range(V):
    print('    "%s"' % "".join(str(x) for x in X[r]))
print("    ;")
cpp_lines("kPercentages", maxsim_txt)
cpp_lines("kRowTrace", trace1)
cpp_lines("kColumnTrace", trace2)
print("const std::vector<int> kRowOrder = {%s}, kRowLines = {%s};" % (", ".join(map(str, O1)), ", ".join(map(str, L1))))
print("const std::vector<int> kColumnOrder = {%s}, kColumnLines = {%s};" % (", ".join(map(str, O2)), ", ".join(map(str, L2))))
cpp_lines("kFinalTable", ff)
print("// SS =", ss, float(ss))
