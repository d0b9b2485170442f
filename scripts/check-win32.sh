#!/usr/bin/env bash
# Compiles the Win32 platform file with the mingw-w64 cross compiler, syntax only.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cxx=i686-w64-mingw32-g++
command -v "$cxx" >/dev/null || { echo "check-win32: $cxx missing"; exit 1; }
shopt -s nullglob
files=("$here"/app/*_win.cpp)
for f in "${files[@]}"; do
  "$cxx" -std=c++17 -fsyntax-only -DUNICODE -D_UNICODE -I"$here" "$f"
  echo "check-win32: $(basename "$f") compiles for 32-bit Windows"
done
