#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job on an example: the results page of
# a titration, with the lines placed automatically.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
EXAMPLE="${1:-examples/weak-acid-acetic-naoh.vexa}"
OUT="${TMPDIR:-/tmp}/vexa-results.html"
./build/cli/vexa report --auto-lines -o "$OUT" "$EXAMPLE"
