#!/usr/bin/env bash
# Start-up to the start screen painted, over HTTP and over HTTPS, against the
# bare window and against the fair bare program (the same requests, TLS
# check, style sheet and Chinese text as the client, nothing else), in
# alternating runs; medians, ratios and peak RSS.
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
for scheme in http https; do
    c=$(median "client-$scheme" 3); c_run=$(median "client-$scheme" 1); c_rss=$(median "client-$scheme" 2)
    f=$(median "fair-$scheme" 3); f_run=$(median "fair-$scheme" 1); f_rss=$(median "fair-$scheme" 2)
    printf 'start-up %-5s to painted: client %6.1f ms  fair bare %6.1f ms  bare %6.1f ms   ratio vs fair %.2f  vs bare %.2f\n' \
        "$scheme" "$(ms "$c")" "$(ms "$f")" "$(ms "$bare")" "$(echo "$c/$f" | bc -l)" "$(echo "$c/$bare" | bc -l)"
    printf '               whole run:  client %6.1f ms  fair bare %6.1f ms  bare %6.1f ms   ratio vs fair %.2f  vs bare %.2f\n' \
        "$(ms "$c_run")" "$(ms "$f_run")" "$(ms "$bare_run")" "$(echo "$c_run/$f_run" | bc -l)" "$(echo "$c_run/$bare_run" | bc -l)"
    printf '               peak RSS:   client %6.1f MiB fair bare %6.1f MiB bare %6.1f MiB  ratio vs fair %.2f\n' \
        "$(mib "$c_rss")" "$(mib "$f_rss")" "$(mib "$bare_rss")" "$(echo "$c_rss/$f_rss" | bc -l)"
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
