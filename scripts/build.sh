#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR). VESK_SANITIZE=1 makes the
# test build: every file with the address and undefined-behaviour checks.
#   scripts/build.sh [cmake --build arguments]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
# Configure only once: afterwards the build notices a changed CMakeLists.txt
# by itself, and a build with nothing to do does nothing.
if [ ! -f "$build/CMakeCache.txt" ]; then
  args=(-DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}")
  command -v ninja >/dev/null && args+=(-G Ninja)
  [ "${VESK_SANITIZE:-0}" = 1 ] && args+=(-DVESK_SANITIZE=ON)
  mkdir -p "$build"
  cmake -S "$here" -B "$build" "${args[@]}" >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }
fi
# The build runs instrumented tools too (the agreement documents).
[ "${VESK_SANITIZE:-0}" = 1 ] && source "$here/scripts/sanitizer-env.sh"
cmake --build "$build" -j "$(nproc)" "$@"
