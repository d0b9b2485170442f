#!/usr/bin/env bash
# Sets up, builds and runs the client against the stand-in service and the
# Meeting SDK simulator. Uses the user's display, or Xvfb when there is none.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"
# Only what the demo runs: the client, the SDK simulator and its window
# helper, the stand-in service and the files beside the executable (not the
# tests and benches, which take far longer).
BUILD_DIR="$build" bash "$here/scripts/build.sh" --target VeskMeeting wemeetsdk wemeetsdk-windows \
  vesk-devservice agreement_pdfs beside_exe

# A second client of the same user hands its link to the first one and ends;
# where nobody sees the first one, that would look like a hang.
if running=$(pgrep -u "$(id -u)" -x VeskMeeting); then
  echo "run-demo: a VeskMeeting of yours is already running (pid $(echo $running | tr '\n' ' ')); close it first." >&2
  exit 1
fi

demo="$build/demo"
cmake --install "$build" --prefix "$demo" >/dev/null
port="${DEMO_PORT:-18080}"
# DEMO_PROXY_PORT=3128 (and DEMO_PROXY_USER=user:password for a proxy that asks
# for credentials): the client reaches the service only through the stand-in's proxy.
host=127.0.0.1
proxy_args=()
if [ -n "${DEMO_PROXY_PORT:-}" ]; then
  host=vesk-service.test
  proxy_args=(--proxy "$DEMO_PROXY_PORT")
  [ -n "${DEMO_PROXY_USER:-}" ] && proxy_args+=(--proxy-user "$DEMO_PROXY_USER")
  export http_proxy="http://127.0.0.1:$DEMO_PROXY_PORT"
fi
cat > "$demo/config.ini" <<INI
[VERSION]
NAME=Vesk云会议
NO=1.0.0

[CONFIG]
SERVICE_URL=http://$host:$port/service/
CLOUD_URL=http://$host:$port/cloud/
IDM_URL=http://$host:$port/idm/
UPDATE_URL=http://$host:$port/update/VeskLiveMeeting_Windows_UpdateInstaller.zip
INI

"$build/bin/vesk-devservice" --port "$port" ${proxy_args[@]+"${proxy_args[@]}"} &
service_pid=$!
xvfb_pid=""
cleanup() {
  kill "$service_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

if [ -z "${DISPLAY:-}" ]; then
  if ! command -v Xvfb >/dev/null; then
    echo "run-demo: no display (DISPLAY is not set) and no Xvfb to run on; run it in a desktop session." >&2
    exit 1
  fi
  export DISPLAY=:77
  Xvfb "$DISPLAY" -screen 0 1280x800x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  cat <<TXT
run-demo: no display found; the client runs on the virtual display $DISPLAY, where nobody sees it.
  To look at it, take a screenshot from another shell:  DISPLAY=$DISPLAY import -window root shot.png
  or watch it live:  x11vnc -display $DISPLAY -localhost  (package x11vnc) and a VNC viewer on localhost:5900.
  To click and type there:  DISPLAY=$DISPLAY xdotool ...   Ctrl+C here ends the demo.
TXT
fi

"$demo/VeskMeeting" "$@"
