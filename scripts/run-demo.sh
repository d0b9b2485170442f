#!/usr/bin/env bash
# Sets up, builds and runs the client against the stand-in service and the
# Meeting SDK simulator. Uses the user's display, or Xvfb when there is none.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"
BUILD_DIR="$build" bash "$here/scripts/build.sh"

demo="$build/demo"
cmake --install "$build" --prefix "$demo" >/dev/null
port="${DEMO_PORT:-18080}"
cat > "$demo/config.ini" <<INI
[VERSION]
NAME=Vesk云会议
NO=1.0.0

[CONFIG]
SERVICE_URL=http://127.0.0.1:$port/service/
CLOUD_URL=http://127.0.0.1:$port/cloud/
IDM_URL=http://127.0.0.1:$port/idm/
UPDATE_URL=http://127.0.0.1:$port/update/VeskLiveMeeting_Windows_UpdateInstaller.zip
INI

"$build/bin/vesk-devservice" --port "$port" &
service_pid=$!
xvfb_pid=""
cleanup() {
  kill "$service_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:77
  echo "run-demo: no display found, starting Xvfb on $DISPLAY (screenshots: import -window root shot.png)"
  Xvfb "$DISPLAY" -screen 0 1280x800x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
fi

"$demo/VeskMeeting" "$@"
