#!/usr/bin/env python3
"""Writes the points of a large titration as CSV, for timing the programs on big files.

The curve is the one the benchmarks draw: n points from 0 to 10 ml around an equivalence at
5 ml, with a little ripple. Make a .vexa file of it with the program itself:

    bench/make_big_titration.py 100000 > big.csv
    vexa import --v0 50 --ctit 0.1 -o big.vexa big.csv
"""
import math
import sys


def main() -> int:
    if len(sys.argv) != 2 or not sys.argv[1].isdigit() or int(sys.argv[1]) < 2:
        print("usage: make_big_titration.py N  (N >= 2 points, CSV on standard output)",
              file=sys.stderr)
        return 2
    n = int(sys.argv[1])
    out = sys.stdout
    out.write("V_ml,pH\n")
    for i in range(n):
        v = 10.0 * i / (n - 1)
        ph = 7 + 4 * math.tanh((v - 5) * 1.5) + 0.01 * math.sin(i * 0.7)
        out.write(f"{v:.6f},{ph:.4f}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
