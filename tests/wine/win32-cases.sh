#!/usr/bin/env bash
# The Windows program end to end under 32-bit Wine: its setup program is
# installed into a private prefix on a private Xvfb, and each case drives the
# installed VeskMeeting.exe against the stand-in service (HTTPS, own CA).
#   win32-cases.sh prefix <root> <windows build> <devservice>   set up, install
#   win32-cases.sh case <root> <name>                           one case
#   win32-cases.sh stop <root>                                  end it all
# A case is a function case_<name> below: add one there and its name to
# tests/wine/CMakeLists.txt. Exit 77 (skipped) only where there is no Windows
# build or Wine cannot start.
set -uo pipefail

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }
note() { echo "-- $*"; }

command=${1:-}
root=${2:?root folder missing}
state="$root/state"

# Wait up to $1 seconds for the command after it to succeed.
waitFor() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  while ! "$@" 2>/dev/null; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.5
  done
}

useState() {
  [ -f "$state" ] || skip "no prefix in $root (see the win32_prefix test)"
  # shellcheck disable=SC1090
  source "$state"
  export WINEPREFIX WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY LOCPATH
  export LC_ALL=zh_CN.UTF-8
  unset WAYLAND_DISPLAY LANGUAGE
  installDir="$WINEPREFIX/drive_c/Program Files/VeskMeeting"
  program="$installDir/VeskMeeting.exe"
}

service() { # GET or POST to the stand-in's control paths: service METHOD PATH [curl args]
  local method=$1 path=$2
  shift 2
  curl -sS --cacert "$root/ca.pem" -X "$method" "$baseUrl/_dev/$path" "$@"
}

dataDir() { find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d -path '*/AppData/Roaming/VeskMeeting' | head -1; }
programLog() { # the installed program's log of today
  local d
  d="$(dataDir)"
  [ -n "$d" ] && cat "$d"/*.log 2>/dev/null
}
logHas() { programLog | grep -qF -- "$1"; }

# Starts the installed program in the background; its pid in $running.
start() {
  (cd "$installDir" && exec wine "$program" "$@") >>"$root/program.out" 2>&1 &
  running=$!
}
# Ends the program (and anything it started) by ending the prefix's processes.
endAll() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}
windowShown() { xdotool search --onlyvisible --name "$1" >/dev/null; }
screenshot() { import -display "$DISPLAY" -window root "$root/$1.png" 2>/dev/null; }
clearData() { # a first start: no User.dat, no logs
  local d
  d="$(dataDir)"
  [ -n "$d" ] && rm -rf "$d"
  : >"$root/program.out"
}

# --- cases ----------------------------------------------------------------------

# Installed silently: files, shortcuts, the veskmeet: protocol and the uninstall entry.
case_install() {
  [ -f "$program" ] || fail "VeskMeeting.exe not installed"
  for f in wemeetsdk_x86.dll wemeetsdk-windows.exe Qt5Core.dll platforms/qwindows.dll zoneinfo/Asia/Shanghai.ics \
    config.ini areaCode.dat uninstall.exe; do
    [ -s "$installDir/$f" ] || fail "$f missing in the installed folder"
  done
  local command
  command="$(wine reg query 'HKLM\Software\Classes\veskmeet\shell\open\command' /ve 2>/dev/null | tr -d '\r')"
  echo "$command" | grep -qF '\VeskMeeting\VeskMeeting.exe" "%1"' ||
    fail "veskmeet: protocol not registered to the installed program: $command"
  wine reg query 'HKLM\Software\Classes\veskmeet' /v "URL Protocol" >/dev/null 2>&1 || fail "veskmeet: is not a URL protocol"
  local entry
  entry="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VeskMeeting' 2>/dev/null | tr -d '\r')"
  for value in "DisplayName.*Vesk云会议" "DisplayVersion.*$version" "Publisher.*Vesk" "DisplayIcon" \
    "UninstallString.*uninstall.exe" "EstimatedSize.*0x"; do
    echo "$entry" | grep -qE "$value" || fail "uninstall entry lacks $value: $entry"
  done
  find "$WINEPREFIX/drive_c" -name 'Vesk云会议.lnk' | grep -qi 'start menu' || fail "no Start-menu shortcut"
  find "$WINEPREFIX/drive_c" -name 'Vesk云会议.lnk' | grep -qi 'desktop' || fail "no desktop shortcut"
}

# The installed program starts to its start screen, drawn in a CJK face.
case_startScreen() {
  clearData
  start
  waitFor 120 windowShown "Vesk云会议" || fail "no start screen within 120 s: $(tail -5 "$root/program.out")"
  waitFor 30 logHas "font:" || fail "the program logged no font"
  sleep 2 # the first frame after the window is mapped
  screenshot start-screen
  local font
  font="$(programLog | grep -o 'font: .*' | head -1)"
  echo "$font" | grep -qE 'Microsoft YaHei|Noto Sans CJK' || fail "product font not resolved: $font"
  endAll
}

# Account sign-in (remembered in User.dat) over HTTPS with the company CA, to the home list.
case_signIn() {
  clearData
  service POST clear >/dev/null
  local data
  data="$(dirname "$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -name AppData | head -1)")/AppData/Roaming/VeskMeeting"
  mkdir -p "$data"
  printf '[LOGININFO]\r\nAUTOLOGIN=1\r\nREMERBERPASS=True\r\nTYPE=1\r\nCOMPANYCODE=600888\r\nUSERNAME=zhangwei\r\nPASSWORD=Vesk@2024\r\n' \
    >"$data/User.dat"
  start
  waitFor 180 sh -c "curl -sS --cacert '$root/ca.pem' '$baseUrl/_dev/requests' | grep -q meeting/queryMeeting" ||
    fail "the home list was never asked for: $(service GET requests | head -c 600) / $(programLog | tail -5)"
  screenshot home
  local log
  log="$(service GET requests)"
  for path in oauth/token user/loginByType user/sdkInit meeting/queryMeeting; do
    echo "$log" | grep -q "$path" || fail "no $path request in the service's log"
  done
  endAll
}

# A second start with a link hands it to the running one over the local socket and ends.
case_linkHandover() {
  clearData
  start
  local first=$running
  waitFor 120 logHas "listen: " || fail "the first instance never listened: $(programLog | tail -5)"
  local link="veskmeet://join?meetingcode=482915736"
  local began=$SECONDS
  (cd "$installDir" && timeout 60 wine "$program" "$link") >>"$root/program.out" 2>&1 ||
    fail "the second start did not end by itself within 60 s"
  note "second start ended after $((SECONDS - began)) s"
  waitFor 30 logHas "Read Data From Client:" || fail "the running instance got no link: $(programLog | tail -5)"
  programLog | grep -F "Read Data From Client:" | grep -qF "$link" || fail "the link arrived changed"
  kill -0 "$first" 2>/dev/null || fail "the first instance ended"
  endAll
}

# --- commands ---------------------------------------------------------------------

case "$command" in
prefix)
  windows=${3:?Windows build folder missing}
  devservice=${4:?stand-in service missing}
  [ -d "$windows" ] || skip "no Windows build in $windows (scripts/build-win32.sh makes it)"
  setup="$(ls "$windows"/VeskMeeting-Setup-*.exe 2>/dev/null | head -1)"
  [ -n "$setup" ] || fail "no setup program in $windows"
  [ -x "$devservice" ] || fail "$devservice not built"
  for tool in wine wineserver Xvfb xdotool import openssl curl localedef; do
    command -v $tool >/dev/null || skip "$tool missing (scripts/setup.sh installs it)"
  done
  # Wine runs a 32-bit program with its 32-bit half, which needs a kernel that
  # runs 32-bit code (some virtual machines switch IA-32 emulation off).
  mkdir -p "$root.probe"
  printf '.globl _start\n_start: movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' |
    as --32 -o "$root.probe/p.o" - && ld -m elf_i386 -o "$root.probe/p" "$root.probe/p.o" ||
    fail "cannot make the 32-bit probe (binutils)"
  "$root.probe/p" 2>/dev/null || { rm -rf "$root.probe"; skip "this machine's kernel runs no 32-bit code (IA-32 emulation off), so 32-bit Wine cannot run here"; }
  rm -rf "$root.probe"
  [ -x /usr/lib/wine/wine ] || fail "32-bit Wine missing (scripts/setup.sh installs wine32)"
  [ -f "$state" ] && (useState && endAll) >/dev/null 2>&1
  [ -f "$root/xvfb.pid" ] && kill "$(cat "$root/xvfb.pid")" 2>/dev/null
  [ -f "$root/service.pid" ] && kill "$(cat "$root/service.pid")" 2>/dev/null
  rm -rf "$root"
  mkdir -p "$root/locale"
  LOCPATH="$root/locale"
  localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" >"$root/localedef.log" 2>&1 ||
    fail "localedef could not build zh_CN.UTF-8"

  exec 3>"$root/display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$root/xvfb.log" 2>&1 &
  echo $! >"$root/xvfb.pid"
  exec 3>&-
  waitFor 20 test -s "$root/display" || fail "Xvfb did not start: $(cat "$root/xvfb.log")"
  DISPLAY=":$(head -1 "$root/display")"

  # The company CA and the service's certificate for 127.0.0.1.
  (
    cd "$root" &&
      openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vesk test CA" -keyout ca.key -out ca.pem &&
      openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout service.key -out service.csr &&
      printf 'subjectAltName=IP:127.0.0.1\nextendedKeyUsage=serverAuth\n' >service.ext &&
      openssl x509 -req -in service.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
        -extfile service.ext -out service.pem
  ) >"$root/certificates.log" 2>&1 || fail "could not make the certificates: $(tail -3 "$root/certificates.log")"
  "$devservice" --port 0 --https --cert "$root/service.pem" --key "$root/service.key" >"$root/service.log" 2>&1 &
  echo $! >"$root/service.pid"
  waitFor 20 grep -q "listening on" "$root/service.log" || fail "the stand-in service did not start"
  baseUrl="$(grep -o 'listening on https://[^ ]*' "$root/service.log" | sed 's/listening on //; s:/$::')"

  WINEPREFIX="$root/prefix"
  version="$(basename "$setup" .exe | sed 's/^VeskMeeting-Setup-//')"
  {
    echo "WINEPREFIX='$WINEPREFIX'"
    echo "DISPLAY='$DISPLAY'"
    echo "LOCPATH='$LOCPATH'"
    echo "baseUrl='$baseUrl'"
    echo "version='$version'"
  } >"$root/state.new"
  mv "$root/state.new" "$state"
  useState
  began=$SECONDS
  timeout 300 wineboot -i >"$root/wineboot.log" 2>&1 ||
    { rm -f "$state"; skip "wineboot failed: $(tail -3 "$root/wineboot.log")"; }
  wineserver -w
  note "prefix made in $((SECONDS - began)) s ($(wine --version))"
  # The product font: Windows has it; here the CJK face the host has stands in.
  for face in "Microsoft YaHei" "微软雅黑"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "Noto Sans CJK SC" /f >/dev/null 2>&1
  done

  began=$SECONDS
  timeout 300 wine "$setup" /S >"$root/setup.log" 2>&1 || fail "the silent install failed: $(tail -3 "$root/setup.log")"
  wineserver -w
  [ -f "$program" ] || fail "the silent install left no $program"
  note "installed in $((SECONDS - began)) s: $(du -sh "$installDir" | cut -f1) from $(du -h "$setup" | cut -f1)"
  # The company's settings: the stand-in service, trusted through its CA.
  cp "$root/ca.pem" "$installDir/company-ca.pem"
  cat >"$installDir/config.ini" <<INI
[CONFIG]
SERVICE_URL=$baseUrl/service/
CLOUD_URL=$baseUrl/cloud/
IDM_URL=$baseUrl/idm/
UPDATE_URL=$baseUrl/update/VeskLiveMeeting_Windows_UpdateInstaller.zip
CA_CERTIFICATES=C:\\Program Files\\VeskMeeting\\company-ca.pem
INI
  echo "Wine prefix ready: $WINEPREFIX on $DISPLAY, service $baseUrl"
  ;;
case)
  name=${3:?case missing}
  useState
  declare -F "case_$name" >/dev/null || fail "no case \"$name\""
  "case_$name"
  echo "PASS: $name"
  ;;
stop)
  if [ -f "$state" ]; then (useState && endAll) >/dev/null 2>&1; fi
  [ -f "$root/service.pid" ] && kill "$(cat "$root/service.pid")" 2>/dev/null
  [ -f "$root/xvfb.pid" ] && kill "$(cat "$root/xvfb.pid")" 2>/dev/null
  exit 0
  ;;
*)
  fail "unknown command \"$command\""
  ;;
esac
