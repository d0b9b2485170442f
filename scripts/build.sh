#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
gen=()
[ -f "$build/CMakeCache.txt" ] || { command -v ninja >/dev/null && gen=(-G Ninja); }
cmake -S "$here" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
cmake --build "$build" -j "$(nproc)" "$@"
