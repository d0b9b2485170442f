#!/usr/bin/env bash
# Builds the libraries the 32-bit Windows program links against, from Debian's
# source packages (upstream tarballs only), with Debian's mingw-w64:
# OpenSSL 3.0, Qt 5.15 qtbase, QuaZip, libical (with its zone data),
# qrcodegen and QtKeychain (Windows Credential Manager).
#
# Into ${VESK_WIN32_CACHE:-$HOME/.cache/vesk-win32}/<key>, the key hashing the
# source versions, the compiler and every build option, so another checkout or
# a second run reuses it and a changed option builds a new one. Idempotent:
# with the folder in place it only prints it. The build trees are deleted
# afterwards. Last line of output: the prefix.
#   scripts/win32-toolchain.sh           build if missing, print the prefix
#   scripts/win32-toolchain.sh --print   print the prefix only (no build)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cache="${VESK_WIN32_CACHE:-$HOME/.cache/vesk-win32}"
jobs="${VESK_WIN32_JOBS:-$(nproc)}"
triple=i686-w64-mingw32
say() { echo "win32-toolchain: $*" >&2; }

# Raise this when a build step below changes in a way the options miss.
recipe=3
# Debian source package -> its upstream tarball.
sources=(openssl qtbase-opensource-src libquazip1-qt5 libical3 qr-code-generator qtkeychain)
ssl_opts="mingw no-tests no-engine shared"
qt_opts="-xplatform win32-g++ -release -opensource -confirm-license -nomake examples -nomake tests
-no-opengl -no-dbus -no-icu -no-freetype -no-fontconfig -no-vulkan -qt-zlib -qt-libpng -no-libjpeg -qt-pcre
-qt-harfbuzz -openssl-linked -no-feature-sql -no-feature-xml -no-feature-concurrent -no-feature-printer
-no-feature-tabletevent"
cmake_opts="-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON"
ical_opts="-DUSE_BUILTIN_TZDATA=ON -DICAL_GLIB=OFF -DICAL_BUILD_DOCS=OFF -DLIBICAL_BUILD_TESTING=OFF
-DGOBJECT_INTROSPECTION=OFF -DWITH_CXX_BINDINGS=OFF -DENABLE_GTK_DOC=OFF -DSHARED_ONLY=ON"
quazip_opts="-DQUAZIP_QT_MAJOR_VERSION=5 -DQUAZIP_FETCH_LIBS=OFF -DQUAZIP_BZIP2=OFF -DQUAZIP_ENABLE_TESTS=OFF"
keychain_opts="-DBUILD_WITH_QT6=OFF -DBUILD_TRANSLATIONS=OFF -DBUILD_TEST_APPLICATION=OFF"

# The deb-src line for the mirror and suites the machine already uses.
ensure_deb_src() {
  local known
  known="$(apt-cache showsrc qtbase-opensource-src 2>/dev/null || true)"
  if grep -q '^Version:' <<<"$known"; then return; fi
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  say "adding deb-src entries for the configured Debian mirror"
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    grep -qE '^Types:(.* )?deb( |$)' "$f" || continue
    grep -q 'debian' "$f" || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f"
  done | $sudo tee /etc/apt/sources.list.d/vesk-deb-src.sources >/dev/null
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb .*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $sudo tee /etc/apt/sources.list.d/vesk-deb-src.list >/dev/null || true
  fi
  # A mirror caught mid-sync fails some other index; the source lists suffice.
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq || true
}

upstream_version() { # newest source version, without epoch and Debian revision
  apt-cache showsrc --only-source "$1" | awk '/^Version:/ {print $2}' | sort -V | tail -1 |
    sed -e 's/^[0-9]*://' -e 's/-[^-]*$//'
}

if [ "${1:-}" != "--print" ]; then ensure_deb_src; fi
versions=""
for s in "${sources[@]}"; do versions+="$s=$(upstream_version "$s") "; done
gccv="$($triple-g++-posix -dumpversion)"
key="$(printf '%s\n' "$recipe" "$versions" "$gccv" "$ssl_opts" "$qt_opts" "$cmake_opts" "$ical_opts" \
  "$quazip_opts" "$keychain_opts" | sha256sum | cut -c1-16)"
prefix="$cache/$key"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
if [ "${1:-}" = "--print" ]; then
  echo "$prefix"
  exit 1
fi

# One build per key at a time: a second caller waits and then takes its result.
mkdir -p "$cache"
exec 9>"$cache/$key.lock"
if ! flock -n 9; then
  say "another run is building $prefix; waiting for it"
  flock 9
  if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
  fi
fi

start=$(date +%s)
say "building the 32-bit Windows libraries into $prefix"
say "($versions; mingw-w64 gcc $gccv, $jobs jobs)"
say "a one-time step: about 20 minutes on two quiet cores, longer on a busy machine"
build="$cache/$key.build"
src="$cache/sources"
# A step that finished leaves a stamp, so a broken run resumes after it.
mkdir -p "$build" "$src" "$prefix"
log="$build/log"
step() { say "$1 ($(( ($(date +%s) - start) / 60 )) min so far)"; }
have() { [ -f "$prefix/.done-$1" ]; }
done_() { touch "$prefix/.done-$1"; }

# Upstream tarballs only: the mirror may lack some .dsc/.debian files.
step "fetching the source tarballs"
(
  cd "$src"
  for s in "${sources[@]}"; do
    ls ./*"$(echo "$s" | sed 's/-opensource-src//')"*orig.tar.* >/dev/null 2>&1 && continue
    apt-get source --download-only "$s" >>"$log" 2>&1 || true
  done
)
unpack() { # source package -> unpacked folder in the build tree
  local t
  t="$(ls "$src"/"$1"_*.orig.tar.* | grep -v '\.asc$' | sort -V | tail -1)"
  mkdir -p "$build/$1"
  tar -xf "$t" -C "$build/$1" --strip-components=1
  echo "$build/$1"
}

# gcc/g++ are the posix-thread variants everywhere (Qt's qmake calls plain names).
wrap="$build/wrap"
mkdir -p "$wrap"
for t in /usr/bin/$triple-*; do
  n="$(basename "$t")"
  case "$n" in *-posix | *-win32 | *-gcc-1* | *-g++-1*) continue ;; esac
  ln -sf "$t" "$wrap/$n"
done
ln -sf /usr/bin/$triple-gcc-posix "$wrap/$triple-gcc"
ln -sf /usr/bin/$triple-g++-posix "$wrap/$triple-g++"
export PATH="$wrap:$PATH"

run() { # description, folder, command...: output to the log, tail on failure
  local what="$1" dir="$2"
  shift 2
  if ! (cd "$dir" && nice -n 10 "$@") >>"$log" 2>&1; then
    say "$what failed; the end of $log:"
    tail -40 "$log" >&2
    exit 1
  fi
}

if ! have openssl; then
step "OpenSSL"
d="$(unpack openssl)"
# shellcheck disable=SC2086
run "OpenSSL configure" "$d" ./Configure $ssl_opts --cross-compile-prefix=$triple- --prefix="$prefix" --libdir=lib
run "OpenSSL build" "$d" make -j"$jobs" build_libs
run "OpenSSL install" "$d" make install_dev install_runtime_libs
rm -rf "$d"
done_ openssl
fi

if ! have qt; then
step "Qt qtbase (the long one)"
rm -rf "$build/qt"
d="$(unpack qtbase-opensource-src)"
mkdir -p "$build/qt"
# shellcheck disable=SC2086
run "Qt configure" "$build/qt" "$d/configure" $qt_opts -device-option CROSS_COMPILE=$triple- \
  -prefix "$prefix" -I "$prefix/include" -L "$prefix/lib" OPENSSL_LIBS="-lssl -lcrypto -lws2_32 -lcrypt32"
step "Qt build"
run "Qt build" "$build/qt" make -j"$jobs"
run "Qt install" "$build/qt" make install
rm -rf "$build/qt" "$d"
done_ qt
fi

cmake_build() { # name, source folder, options...
  local name="$1" dir="$2"
  shift 2
  # shellcheck disable=SC2086
  run "$name configure" "$build" cmake -S "$dir" -B "$build/$name-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/win32-mingw.cmake" -DVESK_WIN32_PREFIX="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" $cmake_opts "$@"
  run "$name build" "$build" cmake --build "$build/$name-build" -j "$jobs"
  run "$name install" "$build" cmake --install "$build/$name-build"
  rm -rf "$build/$name-build" "$dir"
}

# shellcheck disable=SC2086
have quazip || { step QuaZip && cmake_build quazip "$(unpack libquazip1-qt5)" $quazip_opts \
  -DZLIB_ROOT=/usr/$triple && done_ quazip; }
# shellcheck disable=SC2086
have libical || { step libical && cmake_build libical "$(unpack libical3)" $ical_opts \
  -DPERL_EXECUTABLE=/usr/bin/perl && done_ libical; }
# Optional: the mirror has answered 404 for its tarball; the program builds without it.
if have qtkeychain; then
  :
elif ls "$src"/qtkeychain_*.orig.tar.* >/dev/null 2>&1; then
  step QtKeychain
  # shellcheck disable=SC2086
  cmake_build qtkeychain "$(unpack qtkeychain)" $keychain_opts
  done_ qtkeychain
else
  say "QtKeychain left out: the mirror did not deliver its source tarball"
fi

step "qrcodegen"
d="$(unpack qr-code-generator)"
run "qrcodegen build" "$d/cpp" $triple-g++ -std=c++17 -O2 -c qrcodegen.cpp -o qrcodegen.o
run "qrcodegen archive" "$d/cpp" $triple-ar rcs "$prefix/lib/libqrcodegencpp.a" qrcodegen.o
mkdir -p "$prefix/include/qrcodegen" "$prefix/lib/pkgconfig"
cp "$d/cpp/qrcodegen.hpp" "$prefix/include/qrcodegen/"
cat >"$prefix/lib/pkgconfig/qrcodegencpp.pc" <<EOF
prefix=$prefix
Name: qrcodegencpp
Description: QR Code generator library (C++, static)
Version: $(upstream_version qr-code-generator)
Cflags: -I\${prefix}/include/qrcodegen
Libs: -L\${prefix}/lib -lqrcodegencpp
EOF
rm -rf "$d"

# zlib for QuaZip comes from Debian's mingw package; keep its DLL with the rest.
cp /usr/$triple/lib/zlib1.dll "$prefix/bin/"
echo "$versions gcc=$gccv" >"$prefix/.versions"
rm -rf "$build"
touch "$prefix/.complete"
say "done in $(( ($(date +%s) - start) / 60 )) min $(( ($(date +%s) - start) % 60 )) s; $(du -sh "$prefix" | cut -f1) in $prefix"
echo "$prefix"
