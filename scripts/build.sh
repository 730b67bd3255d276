#!/usr/bin/env bash
# Configures and builds everything into build/ (or $VEXA_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${VEXA_BUILD_DIR:-build}"
extra=()
if [ "${CI:-}" = "true" ]; then extra+=(-DVEXA_WERROR=ON); fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_BUILD_BENCH=ON "${extra[@]}" >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
