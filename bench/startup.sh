#!/usr/bin/env bash
# Start-up to the start screen, over HTTP and over HTTPS, against the bare
# window and against the fair bare program (the same requests, TLS check,
# style sheet and the start screen's Chinese text as the client, nothing
# else), in alternating runs: to the first paint, to the frame on the screen
# and the whole run; peak RSS and private memory. Medians and ratios.
#   bench/startup.sh [rounds]      (default 15)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
rounds=${1:-15}
start_x
machine
port=$((20000 + RANDOM % 20000))
for scheme in http https; do
    start_service "$port" "$scheme"
    ca=()
    [ "$scheme" = https ] && ca=("$work/cert.pem")
    for _ in $(seq "$rounds"); do
        timed bare "$bin/barewindow"
        timed "fair-$scheme" "$bin/fairbare" "$service_base" "$cloud_base" "${ca[@]}"
        VESK_BENCH_QUIT_AFTER=start timed "client-$scheme" "$work/app/VeskMeeting"
    done
done
ms() { echo "$1/1000" | bc -l; }
mib() { echo "$1/1024" | bc -l; }
bare=$(median bare 3); bare_run=$(median bare 1); bare_rss=$(median bare 2)
row() { printf '  %-32s client %7.1f %s  fair bare %7.1f %s  ratio %.2f%s\n' "$1" "$2" "$4" "$3" "$4" "$(echo "$2/$3" | bc -l)" "${5:-}"; }
for scheme in http https; do
    c=$(median "client-$scheme" 3); f=$(median "fair-$scheme" 3)
    echo "start-up over $scheme"
    row "to painted (the paint begins)" "$(ms "$c")" "$(ms "$f")" ms \
        "$(printf '   bare window %.1f ms, ratio %.2f' "$(ms "$bare")" "$(echo "$c/$bare" | bc -l)")"
    row "frame on the screen" "$(ms "$(median "client-$scheme" 4)")" "$(ms "$(median "fair-$scheme" 4)")" ms
    row "whole run" "$(ms "$(median "client-$scheme" 1)")" "$(ms "$(median "fair-$scheme" 1)")" ms \
        "$(printf '   bare window %.1f ms' "$(ms "$bare_run")")"
    row "peak RSS, frame on the screen" "$(mib "$(median "client-$scheme" 5)")" "$(mib "$(median "fair-$scheme" 5)")" MiB
    row "private dirty memory then" "$(mib "$(median "client-$scheme" 6)")" "$(mib "$(median "fair-$scheme" 6)")" MiB
    row "peak RSS, whole run" "$(mib "$(median "client-$scheme" 2)")" "$(mib "$(median "fair-$scheme" 2)")" MiB \
        "$(printf '   bare window %.1f MiB' "$(mib "$bare_rss")")"
done
for scheme in http https; do
    echo "milestones, $scheme (median time from the start): fair bare"
    milestones "fair-$scheme"
    echo "client"
    milestones "client-$scheme"
done
h=$(median client-https 3); p=$(median client-http 3)
printf 'start-up https/http ratio %.2f  (medians of %d alternating runs each; load now %s)\n' \
    "$(echo "$h/$p" | bc -l)" "$rounds" "$(cut -d' ' -f1-3 /proc/loadavg)"
