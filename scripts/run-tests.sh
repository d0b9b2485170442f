#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"
# The Windows code paths must at least compile with the 32-bit cross compiler.
bash "$here/scripts/check-win32.sh"
BUILD_DIR="$build" bash "$here/scripts/build.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@"
