#!/usr/bin/env python3
"""Makes the example titrations in examples/: the pH of each point solved from the charge
balance of the solution, with a small fixed measurement noise, written as instrument-style CSV.
The .vexa files are then made with `vexa import` and `vexa report --auto-lines --save`."""
import math
import random

def solve_ph(balance):
    # balance(h) is increasing in h; find its root by bisection on log10(h).
    lo, hi = -14.5, 0.5
    for _ in range(200):
        mid = (lo + hi) / 2
        if balance(10 ** mid) > 0:
            hi = mid
        else:
            lo = mid
    return -(lo + hi) / 2

def strong_acid(v, v0, ca, cb, kw):
    tot = v0 + v
    return solve_ph(lambda h: h - kw / h - (ca * v0 - cb * v) / tot)

def weak_acid(v, v0, ca, cb, ka, kw):
    tot = v0 + v
    return solve_ph(lambda h: h + cb * v / tot - ca * v0 / tot * ka / (ka + h) - kw / h)

def weak_base(v, v0, cbase, ca, kb, kw):
    tot = v0 + v
    ka = kw / kb  # of the ammonium ion
    return solve_ph(lambda h: h + cbase * v0 / tot * h / (h + ka) - ca * v / tot - kw / h)

def write(name, header, rows, sep=",", decimal_comma=False):
    rnd = random.Random(name)
    with open(f"examples/{name}.csv", "w", newline="\n") as f:
        f.write(header)
        f.write(f"V_ml{sep}pH\n")
        for v, ph in rows:
            ph += rnd.uniform(-0.003, 0.003)
            a, b = f"{v:.2f}", f"{ph:.3f}"
            if decimal_comma:
                a, b = a.replace(".", ","), b.replace(".", ",")
            f.write(f"{a}{sep}{b}\n")

kw = 1e-14
vols = [i * 0.25 for i in range(41)]  # 0 … 10 ml
write("strong-acid-hcl-naoh",
      "# Hydrochloric acid 0.01 mol/l titrated with sodium hydroxide. V0 = 50 ml, Ctit = 0.1 mol/l, pKw = 14\n"
      "# Stoichiometric equivalence volume 5.00 ml\n",
      [(v, strong_acid(v, 50, 0.01, 0.1, kw)) for v in vols])
write("weak-acid-acetic-naoh",
      "# Acetic acid 0.01 mol/l (Ka = 1.75e-5) titrated with sodium hydroxide. V0 = 50 ml, Ctit = 0.1 mol/l, pKw = 14\n"
      "# Stoichiometric equivalence volume 5.00 ml\n",
      [(v, weak_acid(v, 50, 0.01, 0.1, 1.75e-5, kw)) for v in vols], sep=";", decimal_comma=True)
vols_b = [i * 0.5 for i in range(31)]  # 0 … 15 ml
write("weak-base-ammonia-hcl",
      "# Ammonia 0.02 mol/l (Kb = 1.8e-5) titrated with hydrochloric acid. V0 = 50 ml, Ctit = 0.1 mol/l, pKw = 14\n"
      "# Stoichiometric equivalence volume 10.00 ml\n",
      [(v, weak_base(v, 50, 0.02, 0.1, 1.8e-5, kw)) for v in vols_b], sep="\t")
