#!/usr/bin/env bash
# Installs what is needed, builds, and starts orlith on an example titration. Without a display
# it writes the example's results page with the command-line tool instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
EXAMPLE="${1:-examples/weak-acid-acetic-naoh.vexa}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
  exec ./build/app/orlith "$EXAMPLE"
fi
echo "No display: writing the results page of $EXAMPLE instead (run under xvfb-run to see the window)."
OUT="${TMPDIR:-/tmp}/vexa-results.html"
./build/cli/vexa report --auto-lines -o "$OUT" "$EXAMPLE"
