#!/usr/bin/env bash
# Runs the Windows platform test program under Wine.
#   wine-test.sh prefix <dir>              fresh Wine prefix for this test run
#   wine-test.sh run <dir> <program> <case>
#   wine-test.sh stop <dir>                ends the prefix's Wine processes
# Exit 77 (skipped) only where Wine cannot start.
set -uo pipefail

skip() { echo "SKIP: Wine cannot start: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

command=${1:-}
root=${2:?prefix folder missing}
prefix="$root/prefix"
ready="$root/ready"

# Headless, quiet, no Mono or Gecko prompts; a Chinese system code page as on
# the product's Windows, from a locale built here so the host needs none.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$root/locale"
unset DISPLAY WAYLAND_DISPLAY LANGUAGE
wineEnv=(env LC_ALL=zh_CN.UTF-8)

case "$command" in
prefix)
  [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null
  rm -rf "$root"
  mkdir -p "$root" "$LOCPATH"
  command -v wine >/dev/null || skip "wine is not installed (scripts/setup.sh installs it)"
  localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" >"$root/localedef.log" 2>&1 ||
    fail "localedef could not build zh_CN.UTF-8: $(tail -1 "$root/localedef.log")"
  # The first start of a prefix takes a while on a busy machine.
  if ! timeout 300 "${wineEnv[@]}" wineboot -i >"$root/wineboot.log" 2>&1; then
    skip "wineboot failed: $(grep -v multiarch "$root/wineboot.log" | tail -3)"
  fi
  # No X server needed: windows live in the Wine server only.
  "${wineEnv[@]}" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$root/wineboot.log" 2>&1 ||
    skip "the registry of the new prefix cannot be written"
  wineserver -w
  touch "$ready"
  echo "Wine prefix ready: $prefix ($(wine --version))"
  ;;
run)
  program=${3:?program missing}
  testCase=${4:?case missing}
  [ -f "$program" ] || fail "$program was not built (x86_64-w64-mingw32-g++ missing? scripts/setup.sh installs it)"
  [ -f "$ready" ] || skip "no Wine prefix in $root (see the wine_prefix test)"
  # A 32-bit program (PE machine 014c) needs 32-bit Wine.
  peHeader=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
  if [ "$(od -An -tx2 -j$((peHeader + 4)) -N2 "$program" | tr -d ' ')" = 014c ]; then
    [ -x /usr/lib/wine/wine ] || skip "32-bit Wine (wine32) is not installed"
    /usr/lib/wine/wine --version >/dev/null 2>&1 ||
      skip "this machine runs no 32-bit programs (a kernel without IA-32 emulation)"
  fi
  if [ "$testCase" = programSignature ]; then
    sign="$root/signature"
    rm -rf "$sign" && mkdir -p "$sign"
    for tool in openssl osslsigncode; do
      command -v $tool >/dev/null || fail "$tool missing (scripts/setup.sh installs it)"
    done
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=VeskMeeting test signer" \
      -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=critical,digitalSignature" \
      -keyout "$sign/key.pem" -out "$sign/certificate.pem" >"$sign/log" 2>&1 &&
      openssl x509 -in "$sign/certificate.pem" -outform DER -out "$sign/certificate.der" >>"$sign/log" 2>&1 &&
      osslsigncode sign -certs "$sign/certificate.pem" -key "$sign/key.pem" -h sha256 \
        -in "$program" -out "$sign/signed.exe" >>"$sign/log" 2>&1 ||
      fail "could not sign a copy of the program: $(tail -3 "$sign/log")"
    # Wine's Z: drive is the host's root.
    export VESK_SIGNED_PROGRAM="Z:${sign//\//\\}\\signed.exe"
    export VESK_SIGNING_CERTIFICATE="Z:${sign//\//\\}\\certificate.der"
  fi
  "${wineEnv[@]}" wine "$program" "$testCase"
  status=$?
  # The program answers 0 or 1; anything else is Wine failing, not a skip.
  [ $status -eq 77 ] && status=1
  exit $status
  ;;
stop)
  [ -d "$prefix" ] && wineserver -k 2>/dev/null
  exit 0
  ;;
*)
  fail "unknown command \"$command\""
  ;;
esac
