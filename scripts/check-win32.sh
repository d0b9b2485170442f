#!/usr/bin/env bash
# Proves the product builds for 32-bit Windows as far as a machine without a
# Windows Qt can: every product source (and the moc and uic output for it) is
# compiled syntax-only by the 32-bit mingw-w64 compiler against the installed
# Qt headers with the Windows platform macros and <windows.h> included first,
# so a POSIX-only call or a clash with a Windows macro (min, max, ERROR,
# interface, ...) outside the platform layer fails the run. The platform layer
# is compiled for real and the Wine test program linked, so every Windows
# import resolves for 32 bits (its 64-bit build runs under Wine in the test
# command).
# Incremental: the steps go into a ninja file in build-win32/ (or
# $WIN32_CHECK_DIR); a run with nothing changed does nothing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${WIN32_CHECK_DIR:-$here/build-win32-check}"
cxx=i686-w64-mingw32-g++
qtbin=/usr/lib/qt5/bin
qt=/usr/include/x86_64-linux-gnu/qt5
for tool in "$cxx" ninja "$qtbin/moc" "$qtbin/uic"; do
  command -v "$tool" >/dev/null || { echo "check-win32: $tool missing"; exit 1; }
done
mkdir -p "$out/gen" "$out/shim/openssl"

# Headers of libraries the product uses that live in /usr/include, which the
# cross compiler must not see as a whole (it holds glibc's).
if [ ! -e "$out/shim/done-2" ]; then
  ln -sfn /usr/include/zlib.h /usr/include/zconf.h /usr/include/qrcodegen/qrcodegen.hpp "$out/shim/"
  ln -sfn /usr/include/openssl/*.h /usr/include/x86_64-linux-gnu/openssl/*.h "$out/shim/openssl/"
  ln -sfn /usr/include/libical "$out/shim/libical"
  touch "$out/shim/done-2"
fi
[ -e "$out/shim/qt5keychain" ] || ln -sfn /usr/include/qt5keychain "$out/shim/qt5keychain"

# The Qt headers in one precompiled header: parsing them is most of the work.
cat >"$out/gen/winqt.h.new" <<'EOF'
#include <windows.h>
#include <QtNetwork>
#include <QtWidgets>
EOF
cmp -s "$out/gen/winqt.h.new" "$out/gen/winqt.h" || mv "$out/gen/winqt.h.new" "$out/gen/winqt.h"
rm -f "$out/gen/winqt.h.new"

defines="-DUNICODE -D_UNICODE -DWIN32 -DMINGW_HAS_SECURE_API=1 -DQT_NEEDS_QMAIN -DQT_NO_DEBUG \
-DQT_DEPRECATED_WARNINGS -DQT_MESSAGELOGCONTEXT -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB"
includes="-I$here -I$out/gen -isystem $qt -isystem $qt/QtCore -isystem $qt/QtGui -isystem $qt/QtWidgets \
-isystem $qt/QtNetwork -isystem /usr/include/QuaZip-Qt5-1.4 -isystem $out/shim"

dirs=(app http sdk reminders calendar session login meeting widgets update)
[ -d "$here/program" ] && dirs+=(program)
shopt -s nullglob
sources=() forms=() allheaders=()
for d in "${dirs[@]}"; do
  allheaders+=("$here/$d"/*.h)
  for f in "$here/$d"/*.cpp; do
    case "$f" in *_posix.cpp) ;; *) sources+=("$f") ;; esac
  done
  forms+=("$here/$d"/*.ui)
done
mapfile -t headers < <(grep -lE '\bQ_(OBJECT|GADGET)\b' "${allheaders[@]}")

{
  echo "cxx = $cxx"
  echo "flags = -std=c++17 $defines $includes"
  echo "rule pch"
  echo "  command = \$cxx \$flags -x c++-header \$in -o \$out -MD -MF \$out.d"
  echo "  depfile = \$out.d"
  echo "  deps = gcc"
  echo "  description = precompiled Qt headers"
  echo "rule check"
  echo "  command = \$cxx \$flags -include $out/gen/winqt.h -fsyntax-only \$in -MD -MT \$out -MF \$out.d && touch \$out"
  echo "  depfile = \$out.d"
  echo "  deps = gcc"
  echo "  description = \$in"
  echo "rule platform"
  echo "  command = \$cxx \$flags -Wall -Wextra -fsyntax-only \$in -MD -MT \$out -MF \$out.d && touch \$out"
  echo "  depfile = \$out.d"
  echo "  deps = gcc"
  echo "  description = \$in"
  echo "rule uic"
  echo "  command = $qtbin/uic \$in -o \$out"
  echo "rule moc"
  echo "  command = $qtbin/moc $defines -D_WIN32 -DQ_OS_WIN -I$here \$in -o \$out"
  echo "rule link"
  echo "  command = \$cxx -std=c++17 -Wall -Wextra -DUNICODE -D_UNICODE -I$here \$in -static -o \$out -ldbghelp -lwintrust -lcrypt32 -lws2_32"
  echo "  description = link \$out"
  echo "build gen/winqt.h.gch: pch gen/winqt.h"
  uis=()
  for f in "${forms[@]}"; do
    h="gen/ui_$(basename "$f" .ui).h"
    uis+=("$h")
    echo "build $h: uic $f"
  done
  stamps=()
  for f in "${headers[@]}"; do
    rel="${f#"$here"/}"
    m="gen/moc/${rel%.h}.cpp"
    echo "build $m: moc $f"
    echo "build stamp/$m.ok: check $m | gen/winqt.h.gch || ${uis[*]}"
    stamps+=("stamp/$m.ok")
  done
  for f in "${sources[@]}"; do
    rel="${f#"$here"/}"
    # The platform layer includes the Windows headers in its own order.
    case "$f" in
      *_win.cpp) echo "build stamp/$rel.ok: platform $f" ;;
      *) echo "build stamp/$rel.ok: check $f | gen/winqt.h.gch || ${uis[*]}" ;;
    esac
    stamps+=("stamp/$rel.ok")
  done
  echo "build tst_wineplatform.exe: link $here/tests/wine/tst_wineplatform.cpp $here/app/platform_win.cpp | $here/app/platform.h"
  echo "build all: phony ${stamps[*]} tst_wineplatform.exe"
  echo "default all"
} >"$out/build.ninja.new"
cmp -s "$out/build.ninja.new" "$out/build.ninja" || mv "$out/build.ninja.new" "$out/build.ninja"
rm -f "$out/build.ninja.new"

# Quiet unless a step fails.
set +e
ninja -C "$out" -j "$(nproc)" | grep -Ev '^\[[0-9]+/[0-9]+\] |^ninja: (Entering|Leaving|no work)'
status=${PIPESTATUS[0]}
set -e
[ "$status" -eq 0 ] || { echo "check-win32: FAILED, see above"; exit 1; }
echo "check-win32: ${#sources[@]} sources and ${#headers[@]} moc outputs compile for 32-bit Windows; the platform layer links"
