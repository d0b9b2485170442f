#!/usr/bin/env bash
# Start-up with a remembered automatic sign-in to the signed-in home screen's
# list painted (service token, version check, account sign-in, meeting token,
# Meeting SDK sign-in, meeting query), with 10, 200 and 1000 meetings, in
# alternating runs with the bare window; medians and peak RSS.
#   bench/home.sh [runs]      (default 9)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
runs=${1:-9}
start_x
machine
port=$((20000 + RANDOM % 20000))
for n in 10 200 1000; do
    # The demo data with the signed-in user's company holding n meetings ahead.
    python3 - "$here/devservice/fixtures.json" "$work/fixtures-$n.json" "$n" <<'PY'
import json, sys
data = json.load(open(sys.argv[1], encoding="utf-8"))
n = int(sys.argv[3])
data["meetings"] = [m for m in data["meetings"] if m["companyCode"] != "600888"] + [
    {"companyCode": "600888", "host": "u_zhangwei", "subject": "项目例会 %d" % i,
     "meetingCode": "%09d" % (300000000 + i), "meetingId": "%020d" % (10**19 + i),
     "startInMinutes": 30 + 90 * i, "durationMinutes": 60}
    for i in range(n)]
json.dump(data, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
PY
    start_service "$port" http "$work/fixtures-$n.json"
    for _ in $(seq "$runs"); do
        rm -rf "$HOME/.local/share/VeskMeeting"
        "$bin/vesk-bench" remember 600888 zhangwei 'Vesk@2024' >/dev/null 2>&1
        timed bare "$bin/barewindow"
        VESK_BENCH_QUIT_AFTER=home timed "home-$n" "$work/app/VeskMeeting"
    done
done
bare=$(median bare 3)
[ -n "${KEEP_LOG:-}" ] && cat "$HOME"/.local/share/VeskMeeting/*.log
for n in 10 200 1000; do
    c=$(median "home-$n" 3)
    printf 'start-up to signed-in home list painted, %4d meetings  %6.1f ms  (bare window painted %5.1f ms, ratio %.2f)  peak RSS %.1f MiB\n' \
        "$n" "$(echo "$c/1000" | bc -l)" "$(echo "$bare/1000" | bc -l)" "$(echo "$c/$bare" | bc -l)" \
        "$(echo "$(median "home-$n" 2)/1024" | bc -l)"
done
