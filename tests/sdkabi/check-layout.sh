#!/usr/bin/env bash
# Fails when mingw gives an interface of sdk/wemeetsdk.h other vtable slots
# than Microsoft's ABI does, which the real wemeetsdk_x86.dll is built for.
# layoutprobe.cpp implements each interface once; its vtables are dumped by
# mingw (-fdump-lang-class) and by clang for Microsoft's ABI
# (-fdump-vtable-layouts), for i686 and x86_64, and compared slot by slot.
#   check-layout.sh <source dir> <work dir>
set -euo pipefail
src=${1:?source folder missing}
work=${2:?work folder missing}
probe="$src/tests/sdkabi/layoutprobe.cpp"
fail() { echo "FAIL: $*"; exit 1; }
for tool in i686-w64-mingw32-g++ x86_64-w64-mingw32-g++ clang-14; do
  command -v $tool >/dev/null || fail "$tool missing (scripts/setup.sh installs it)"
done
rm -rf "$work" && mkdir -p "$work"

# The product's 32 bits, and 64 bits for the run under 64-bit Wine.
total=0
for arch in i686 x86_64; do
  out="$work/$arch"
  mkdir -p "$out"
  $arch-w64-mingw32-g++ -std=c++17 -I"$src" -fdump-lang-class -dumpdir "$out/" -dumpbase mingw \
    -c "$probe" -o /dev/null || fail "mingw ($arch) cannot compile the probe"
  clang-14 --target=$arch-pc-windows-msvc -std=c++17 -ffreestanding -fno-rtti -I"$src" \
    -Xclang -fdump-vtable-layouts -c "$probe" -o /dev/null >"$out/msvc.dump" ||
    fail "clang (Microsoft ABI, $arch) cannot compile the probe"

  # One line per slot: class, slot number, function name ("~" for a destructor).
  awk '
    /^Vtable for [A-Za-z]+Probe$/ { cls = $3; n = -2; next }
    cls != "" && NF == 0 { cls = ""; next }
    cls != "" && /^[0-9]/ {
      if (n >= 0) {
        name = $NF; sub(/.*\)/, "", name); sub(/.*::/, "", name); sub(/^~.*/, "~", name)
        print cls, n, name
      }
      n++
    }' "$out/mingw.001l.class" >"$out/mingw.slots"
  awk '
    /^VFTable for .* in .[A-Za-z]+Probe. \(/ { cls = $(NF - 2); gsub(/\047/, "", cls); next }
    cls != "" && NF == 0 { cls = ""; next }
    cls != "" && / \| / && !/ RTTI$/ {
      name = $0; sub(/\(.*/, "", name); sub(/.*::/, "", name); sub(/^~.*/, "~", name)
      print cls, $1, name
    }' "$out/msvc.dump" >"$out/msvc.slots"

  classes=$(cut -d' ' -f1 "$out/msvc.slots" | sort -u | wc -l)
  [ "$classes" -eq 8 ] || fail "expected the 8 interfaces in the Microsoft dump ($arch), found $classes"
  if ! diff -u --label "Microsoft ABI ($arch)" --label "mingw ($arch)" "$out/msvc.slots" "$out/mingw.slots"; then
    fail "the vtables of sdk/wemeetsdk.h differ between mingw and Microsoft's ABI (above)"
  fi
  total=$((total + $(wc -l <"$out/msvc.slots")))
done
echo "PASS: $total slots of the 8 interfaces, for i686 and x86_64, sit alike under mingw and Microsoft's ABI"
