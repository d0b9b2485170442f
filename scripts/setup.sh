#!/usr/bin/env bash
# Installs what building, running and testing VeskMeeting needs on Debian 12.
# Safe to run again: it only calls apt-get when a package is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev qttranslations5-l10n
  libquazip1-qt5-dev libqrcodegencpp-dev libcpp-httplib-dev libssl-dev openssl
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 osslsigncode locales
  xvfb xauth x11-utils imagemagick librsvg2-bin fonts-noto-cjk
  ccache clang-format-14 libx11-dev zbar-tools xdotool desktop-file-utils
  clang-14 libfuzzer-14-dev libical-dev libglib2.0-bin
  nsis lld-14 qtkeychain-qt5-dev gnome-keyring lintian llvm-14 trayer
  libz-mingw-w64-dev
)

# The Windows program is 32-bit: Wine runs it with its 32-bit half (i386),
# which only works where the kernel runs 32-bit code. Where it cannot (some
# virtual machines), installing it would stop Wine running 64-bit programs too.
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
probe="$(mktemp -d)"
if printf '.globl _start\n_start: movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' |
  as --32 -o "$probe/p.o" - 2>/dev/null && ld -m elf_i386 -o "$probe/p" "$probe/p.o" 2>/dev/null &&
  "$probe/p" 2>/dev/null; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture for 32-bit Wine"
    $sudo dpkg --add-architecture i386
  fi
  packages+=(wine32:i386)
else
  echo "setup: this kernel runs no 32-bit code: no 32-bit Wine, the Windows program's Wine cases will be skipped"
fi
rm -rf "$probe"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync fails an index now and then; the others still serve.
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq || echo "setup: some package lists could not be fetched"
  $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
