#!/usr/bin/env bash
# Builds the Win32 platform files with the 32-bit mingw-w64 cross compiler, as
# the product is built: each *_win.cpp compiled, and
# the Wine test program linked, so every Windows import resolves for 32 bits.
# (The 64-bit build of that program runs under Wine in the test command.)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cxx=i686-w64-mingw32-g++
command -v "$cxx" >/dev/null || { echo "check-win32: $cxx missing"; exit 1; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
flags=(-std=c++17 -Wall -Wextra -DUNICODE -D_UNICODE -I"$here")
shopt -s nullglob
files=("$here"/app/*_win.cpp)
for f in "${files[@]}"; do
  "$cxx" "${flags[@]}" -c "$f" -o "$out/$(basename "$f" .cpp).o"
  echo "check-win32: $(basename "$f") compiles for 32-bit Windows"
done
"$cxx" "${flags[@]}" "$here/tests/wine/tst_wineplatform.cpp" "$here/app/platform_win.cpp" \
  -static -o "$out/tst_wineplatform.exe" -ldbghelp -lwintrust -lcrypt32 -lws2_32
echo "check-win32: the platform layer links for 32-bit Windows"
