#!/usr/bin/env bash
# Package layout: build the .deb, unpack it with dpkg-deb -x into a temporary
# root and check that the program, its SDK and data, the launcher, the link
# handler entry and the configuration are where the system looks for them.
set -uo pipefail
build=$1
cpack=${2:-cpack}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/veskmeeting_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { ls -R "$work/out"; echo "FAIL: no veskmeeting_*.deb"; exit 1; }
root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }

app=$root/opt/veskmeeting
for f in VeskMeeting libwemeetsdk.so wemeetsdk-windows areaCode.dat 软件许可及服务协议.pdf 隐私政策.pdf \
  icon/logo.ico translations/qtbase_zh_CN.qm \
  ../../usr/share/icons/hicolor/256x256/apps/veskmeeting.png \
  ../../usr/share/icons/hicolor/scalable/apps/veskmeeting.svg ../../etc/veskmeeting/config.ini; do
  [ -s "$app/$f" ] || fail "missing $f"
done
for f in VeskMeeting wemeetsdk-windows; do [ -x "$app/$f" ] || fail "$f not executable"; done

# The launcher and config.ini beside the program are absolute links to the installed files.
[ "$(readlink "$root/usr/bin/veskmeeting")" = /opt/veskmeeting/VeskMeeting ] ||
  fail "/usr/bin/veskmeeting does not lead to the program"
[ "$(readlink "$app/config.ini")" = /etc/veskmeeting/config.ini ] ||
  fail "config.ini beside the program does not lead to /etc/veskmeeting/config.ini"
for f in usr/share/doc/veskmeeting/copyright usr/share/doc/veskmeeting/changelog.gz \
  usr/share/man/man1/veskmeeting.1.gz; do
  [ -s "$root/$f" ] || fail "missing /$f"
done
# lintian, where installed: no error but the vendor-style /opt location.
if command -v lintian >/dev/null; then
  errors=$(lintian --no-tag-display-limit "$deb" 2>/dev/null | grep '^E:' | grep -v -e 'dir-or-file-in-opt')
  [ -z "$errors" ] || fail "lintian: $errors"
fi

# The program finds the SDK beside itself, wherever it is unpacked. Read
# once: grep -q ending early can kill a writer still at work, which pipefail
# reports as a failure.
libs=$(ldd "$app/VeskMeeting")
missing=$(grep "not found" <<<"$libs")
[ -z "$missing" ] || fail "unresolved libraries: $missing"
grep -q "$app/libwemeetsdk.so" <<<"$libs" ||
  fail "SDK not taken from beside the program: $(grep wemeetsdk <<<"$libs")"

# Only the system's packages are dependencies; admins' config.ini survives upgrades.
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q "libqt5widgets5" || fail "Depends lacks Qt: $depends"
echo "$depends" | grep -q "wemeetsdk" && fail "Depends names the bundled SDK: $depends"
conffiles=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles 2>/dev/null)
grep -qx "/etc/veskmeeting/config.ini" <<<"$conffiles" ||
  fail "config.ini is not a conffile"

# Every install path is one of the places a package may use.
stray=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -E '^\./(opt/veskmeeting|usr/bin|usr/share/(applications|icons|doc/veskmeeting|man/man1)|etc/veskmeeting)?(/|$)|^\./(opt|usr|usr/share|usr/share/doc|usr/share/man|etc)/$')
[ -z "$stray" ] || fail "files outside the usual places: $stray"

entry=$root/usr/share/applications/veskmeeting.desktop
if [ -f "$entry" ]; then
  desktop-file-validate "$entry" || fail "desktop-file-validate"
  grep -qx "MimeType=x-scheme-handler/veskmeet;" "$entry" || fail "link scheme not registered"
  # The link is handed over as the one argument.
  grep -qx "Exec=veskmeeting %u" "$entry" || fail "Exec does not pass the link as one argument"
  grep -qx "Icon=veskmeeting" "$entry" || fail "icon name differs from the installed icon"
else
  fail "no desktop entry"
fi

# The placeholder config.ini must leave every built-in default in place.
grep -E '^[[:space:]]*[A-Z_]+[[:space:]]*=' "$root/etc/veskmeeting/config.ini" &&
  fail "config.ini sets values"

[ "$failures" -eq 0 ] && echo "package layout ok: $(basename "$deb")"
exit "$failures"
