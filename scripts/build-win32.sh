#!/usr/bin/env bash
# Builds the 32-bit Windows program and its setup program:
#   scripts/build-win32.sh  ->  build-win32/VeskMeeting-Setup-<version>.exe
# (or $WIN32_BUILD_DIR). The libraries come from scripts/win32-toolchain.sh,
# built once into a cache outside the checkout (the first run takes a while
# and says so). VESK_SIGN_CERT and VESK_SIGN_KEY (PEM files) sign the program
# and the setup program; VESK_SDK_DLL links a real wemeetsdk_x86.dll instead
# of the simulator. Incremental: a second run with nothing changed does nothing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${WIN32_BUILD_DIR:-$here/build-win32}"
prefix="$(bash "$here/scripts/win32-toolchain.sh" | tail -1)"
args=(-DVESK_WIN32_PREFIX="$prefix" -DVESK_SIGN_CERT="${VESK_SIGN_CERT:-}" -DVESK_SIGN_KEY="${VESK_SIGN_KEY:-}"
  -DVESK_SDK_DLL="${VESK_SDK_DLL:-}" -DVESK_SDK_IMPLIB="${VESK_SDK_IMPLIB:-}")
if [ ! -f "$build/CMakeCache.txt" ]; then
  mkdir -p "$build"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/win32-mingw.cmake" "${args[@]}" >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }
elif [ "$(cat "$build/configure.args" 2>/dev/null)" != "${args[*]}" ]; then
  # Only a changed prefix, certificate or SDK makes a new configure step.
  cmake "$build" "${args[@]}" >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
fi
echo "${args[*]}" >"$build/configure.args"
cmake --build "$build" --target setup -j "$(nproc)"
ls "$build"/VeskMeeting-Setup-*.exe
