#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the unit and GUI tests, the plain
# libraries' tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and a short run
# of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
FUZZ_SECONDS="${VEXA_FUZZ_SECONDS:-30}"
bash scripts/setup.sh

echo "== build and test"
bash scripts/build.sh
(cd build && ctest --output-on-failure -j 2)

echo "== plain libraries under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXA_BUILD_GUI=OFF \
  -DVEXA_SANITIZE=ON -DVEXA_WERROR="$([ "${CI:-}" = true ] && echo ON || echo OFF)" >/dev/null
cmake --build build-asan -j "$(nproc)"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j 2)

echo "== fuzz smoke runs (${FUZZ_SECONDS} s each)"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_BUILD_GUI=OFF \
  -DVEXA_BUILD_TESTS=OFF -DVEXA_BUILD_FUZZ=ON -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j "$(nproc)"
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  case "$name" in
    fuzz_vexa_file) cp examples/*.vexa "$corpus/" ;;
    fuzz_csv_import) cp examples/*.csv "$corpus/" ;;
  esac
  if [ -d "fuzz/seeds/$name" ]; then cp -r "fuzz/seeds/$name/." "$corpus/"; fi
  echo "-- $name"
  "$target" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 -print_final_stats=0 \
    "$corpus" 2>&1 | tail -n 3
done
echo "all tests passed"
