#!/usr/bin/env python3
"""Golden values of the factor-analysis tests, computed once from the written rules.

Plain Python with exact fractions: every stored intermediate is rounded to a 6-byte real
(40 significant bits, halves away from zero); the operations between stores are exact, where
the program uses extended precision (the two differ by far less than the tests' tolerance).
Run: python3 tests/elaborations/factor_golden.py  -- prints the C++ tables pasted into the tests.
"""
from fractions import Fraction as Fr
from math import isqrt


def r6(x):
    x = Fr(x)
    if x == 0:
        return Fr(0)
    sign = -1 if x < 0 else 1
    x = abs(x)
    e = 0  # x = f * 2^e, f in [1/2, 1)
    while x >= Fr(2) ** e:
        e += 1
    while x < Fr(2) ** (e - 1):
        e -= 1
    scaled = x / Fr(2) ** (e - 40)  # in [2^39, 2^40)
    m = int(scaled)
    if scaled - m >= Fr(1, 2):
        m += 1
    return sign * Fr(m) * Fr(2) ** (e - 40)


def sqrt(x):
    x = Fr(x)
    scale = 2 ** 120
    return Fr(isqrt(int(x * scale * scale)), scale)


def trunc(x):
    return int(x) if x >= 0 else -int(-x)


def round_half_even(x):
    f = x.numerator // x.denominator
    rest = x - f
    if rest > Fr(1, 2) or (rest == Fr(1, 2) and f % 2 == 1):
        f += 1
    return f


def phi(T, a, nr, nc):
    t = r6(1 if T <= 0 else T)
    a, nr, nc = r6(a), r6(nr), r6(nc)
    b = r6(nr - a)
    c = r6(nc - a)
    d = r6((t - nc) - b)
    p = r6((a + b) * (c + d) * (a + c) * (b + d))
    chi2 = r6(t * (a * d - b * c) ** 2 / p) if p > 0 else Fr(0)
    if nr * nc / t > a:
        chi2 = -chi2
    root = r6(sqrt(abs(chi2) / t))
    v = min(trunc(r6(10000 * root)), 10000)
    return -v if chi2 < 0 else v


def extract(R, N):
    """Centroid extraction; answers the factors written (lists of loadings)."""
    R = [row[:] for row in R]
    nf = max(1, min(N // 3, 20))
    factors = []
    for k in range(1, nf + 1):
        go_on = True
        refl = [False] * N
        comp = [False] * N

        def flip():
            for i in range(N):
                if refl[i]:
                    for j in range(N):
                        if comp[j]:
                            R[i][j] = -R[i][j]
                            R[j][i] = -R[j][i]

        if k >= 2:
            best, p = Fr(0), -1
            for j in range(N):
                s = sum(abs(R[j][i]) for i in range(N) if i != j)
                if s > best:
                    best, p = Fr(s), j
            if best / 10000 < Fr(1, 1000):
                go_on = False
            if p >= 0:
                for i in range(N):
                    refl[i] = R[i][p] <= 0
                    comp[i] = R[p][i] > 0
                flip()
        S = [sum(R[i]) for i in range(N)]
        total = r6(Fr(sum(S)) / 10000)
        if total <= 0:
            continue  # nothing written, nothing taken out
        total = r6(sqrt(total))
        L = [r6(Fr(S[i], 10000) / total) for i in range(N)]
        if k >= 2:
            L = [-L[i] if refl[i] else L[i] for i in range(N)]
        factors.append(L)
        if go_on:
            if k >= 2:
                flip()
            for i in range(N):
                for j in range(N):
                    R[i][j] -= round_half_even(r6(L[i] * L[j] * 10000))
    return factors


def rotate_pair(A, B, T):
    V = len(A)
    A, B = A[:], B[:]
    norm = sqrt(200 * 200 + 5 * 5)
    c, s = r6(200 / norm), r6(5 / norm)
    t = r6(Fr(T))
    best, bestA, bestB = Fr(0), A[:], B[:]
    for _ in range(200):
        crit = Fr(0)
        for i in range(V):
            x, y = A[i], B[i]
            A[i] = r6(x * c + y * s)
            B[i] = r6(-x * s + y * c)
            if A[i] > t:
                crit = r6(crit + A[i] * A[i])
            if B[i] > t:
                crit = r6(crit + B[i] * B[i])
        if crit > best:
            best, bestA, bestB = crit, A[:], B[:]
    return bestA, bestB


def rotate(factors):
    F = [f[:] for f in factors]
    for T in (Fr(1, 10), Fr(3, 10)):
        for p in range(len(F)):
            for q in range(p + 1, len(F)):
                F[p], F[q] = rotate_pair(F[p], F[q], T)
    var = []
    for f in F:
        s = Fr(0)
        for x in f:
            s = r6(s + x * x)
        var.append(s)
    out = []
    for _ in range(len(F)):
        best, chosen = Fr(-1), 0
        for i, v in enumerate(var):
            if v > best:
                best, chosen = v, i
        out.append(F[chosen])
        var[chosen] = Fr(-1)
    return out


def table(name, factors):
    print(f"// {name}")
    for f in factors:
        print("    {" + ", ".join(f"{float(x):.12f}" for x in f) + "},")


# The small archive of the card test: 5 counted cards, 9 categories (hand counts).
T = 5
freq = [2, 2, 2, 2, 2, 2, 3, 0, 0]
joint = {(1, 3): 1, (1, 5): 1, (1, 7): 2, (2, 3): 1, (2, 4): 1, (2, 6): 2, (3, 5): 1, (3, 6): 1,
         (3, 7): 1, (4, 5): 1, (4, 6): 1, (4, 7): 1, (5, 7): 2}


def both(r, c):
    if r == c:
        return freq[r - 1]
    return joint.get((min(r, c), max(r, c)), 0)


N = 9
R = [[phi(T, both(r, c), freq[r - 1], freq[c - 1]) for c in range(1, N + 1)] for r in range(1, N + 1)]
print("// phi matrix of the card test")
for row in R:
    print("    {" + ", ".join(str(v) for v in row) + "},")
unrotated = extract(R, N)
table("unrotated factors of the card test", unrotated)
table("rotated and ordered factors of the card test", rotate(unrotated))

# A 6 x 6 matrix with two clusters and a negative pair.
M = [[10000, 6000, 5000, -1000, 0, -2000],
     [6000, 10000, 4000, 0, -1500, -1000],
     [5000, 4000, 10000, -500, -1000, 0],
     [-1000, 0, -500, 10000, 5500, 4500],
     [0, -1500, -1000, 5500, 10000, 6500],
     [-2000, -1000, 0, 4500, 6500, 10000]]
table("two clusters: unrotated", extract(M, 6))
I9 = [[10000 if i == j else 0 for j in range(9)] for i in range(9)]
table("identity of nine: unrotated", extract(I9, 9))

# Rotation alone.
A, B = rotate_pair([Fr(9, 10), Fr(0)], [Fr(0), Fr(9, 10)], Fr(1, 10))
table("one pair (0.9, 0) (0, 0.9) at 0.1", [A, B])
three = [[r6(Fr(x)) for x in f] for f in ([0.7, 0.6, 0.2, -0.1], [0.3, -0.4, 0.6, 0.5], [0.1, 0.2, -0.3, 0.4])]
table("three factors rotated and ordered", rotate(three))

# Phi values whose ratio under the root is cut below 1 by the rounding.
for T, k in ((524000, 262001), (500000, 123457), (65536 * 8 - 1, 3), (400000, 199999)):
    print(f"// phi identical T={T} k={k}: {phi(T, k, k, k)}")
for case in ((10, 1, 4, 5), (12, 2, 4, 6), (20, 6, 8, 10), (10, 4, 4, 4), (10, 0, 4, 6), (0, 0, 0, 0),
             (5, 5, 5, 5), (1000, 37, 120, 250), (1000, 2, 120, 250), (7, 3, 3, 4)):
    print(f"// phi{case} = {phi(*case)}")
