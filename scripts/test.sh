#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: unit, widget and fuzz
# tests offscreen, end-to-end tests under their own Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QTWEBENGINE_DISABLE_SANDBOX=1
cd build
ctest --output-on-failure -j2 -LE e2e
ctest --output-on-failure -L e2e
