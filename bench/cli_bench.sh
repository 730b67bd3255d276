#!/usr/bin/env bash
# Whole runs of vexa, timed from outside with hyperfine (start-up, loading and writing included):
#   - vexa report --format json on a 50-point titration, beside the cost of starting /bin/true
#     (the process start-up floor) and beside vexa report's HTML page;
#   - vexa batch over 1 000 small titrations (30-point CSV files, automatic placement), on one
#     core and on two, and the speed-up.
#
#   bash bench/cli_bench.sh [path/to/vexa]      (default build/cli/vexa)
#
# The titrations are simulated: hydrochloric acid of 0.008 ... 0.012 mol/l (50 ml) titrated
# with sodium hydroxide 0.1 mol/l, pH from the charge balance with noise of 0.003, rounded to
# 0.001, the same every run (a fixed seed).
set -euo pipefail
VEXA=$(realpath "${1:-build/cli/vexa}")
RUNS=${RUNS:-300}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import math, os, random, sys
work = sys.argv[1]
rng = random.Random(20240301)

def titration(points, ca):
    v0, ct, kw = 50.0, 0.1, 1e-14
    veq = ca * v0 / ct
    rows = []
    for i in range(points):
        v = 2 * veq * i / (points - 1)
        d = (ca * v0 - ct * v) / (v0 + v)
        h = (d + math.sqrt(d * d + 4 * kw)) / 2
        ph = -math.log10(h) + rng.gauss(0, 0.003)
        rows.append(f"{v:.3f},{ph:.3f}")
    return "# V0 = 50 ml, Ctit = 0.1 mol/l, pKw = 14\nV_ml,pH\n" + "\n".join(rows) + "\n"

with open(os.path.join(work, "t50.csv"), "w") as f:
    f.write(titration(50, 0.01))
os.mkdir(os.path.join(work, "runs"))
with open(os.path.join(work, "table.csv"), "w") as table:
    table.write("file,method\n")
    for k in range(1000):
        name = f"runs/t{k:04d}.csv"
        with open(os.path.join(work, name), "w") as f:
            f.write(titration(30, rng.uniform(0.008, 0.012)))
        table.write(f"{name},auto\n")
PY
"$VEXA" import -o "$work/t50.vexa" "$work/t50.csv"

echo "== vexa report on a 50-point file, beside the process start-up floor"
# To standard output (hyperfine throws it away), and into a file: written beside it, synced
# and renamed into place, which adds the disk's sync to the wall time.
hyperfine -N --warmup 30 --runs "$RUNS" \
  -n "/bin/true" "/bin/true" \
  -n "report html" "$VEXA report $work/t50.vexa" \
  -n "report json" "$VEXA report --format json $work/t50.vexa" \
  -n "report json -o" "$VEXA report --format json -o $work/r.json $work/t50.vexa"

echo "== vexa batch over 1 000 titrations, on one core and on two"
hyperfine --warmup 1 --runs "${BATCH_RUNS:-5}" \
  -n "batch --jobs 1" "$VEXA batch --jobs 1 --no-progress -o $work/r1.csv $work/table.csv" \
  -n "batch --jobs 2" "$VEXA batch --jobs 2 --no-progress -o $work/r2.csv $work/table.csv"
cmp "$work/r1.csv" "$work/r2.csv" && echo "(the two results tables are the same, byte for byte)"
