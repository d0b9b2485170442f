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
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
