#!/usr/bin/env bash
# Installs what the build, the tests and the programs need, from Debian 12's packages.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# python3-xlwt only writes the .xls workbooks of the tests (scripts/make-test-sheets.py);
# python3-jsonschema checks vexa's JSON against its schema in the tests; hyperfine times whole
# runs of vexa for its benchmarks.
$SUDO apt-get install -y -qq --no-install-recommends \
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev \
  libquazip1-qt6-dev libfreexl-dev python3-xlwt poppler-utils \
  libcli11-dev nlohmann-json3-dev python3-jsonschema hyperfine bash \
  fonts-liberation xvfb xauth xdg-utils shared-mime-info desktop-file-utils \
  >/dev/null
