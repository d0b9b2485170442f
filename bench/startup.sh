#!/usr/bin/env bash
# Start-up to the start screen painted, over HTTP and over HTTPS, against the
# bare window, in alternating pairs; medians, ratios and peak RSS.
#   bench/startup.sh [pairs]      (default 15)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
pairs=${1:-15}
start_x
machine
port=$((20000 + RANDOM % 20000))
for scheme in http https; do
    start_service "$port" "$scheme"
    for _ in $(seq "$pairs"); do
        timed bare "$bin/barewindow"
        VESK_BENCH_QUIT_AFTER=start timed "client-$scheme" "$work/app/VeskMeeting"
    done
done
bare=$(median bare 3); bare_run=$(median bare 1)
for scheme in http https; do
    c=$(median "client-$scheme" 3); c_run=$(median "client-$scheme" 1)
    printf 'start-up %-5s  to painted: client %6.1f ms  bare %6.1f ms  ratio %.2f   whole run: %6.1f / %6.1f ms  ratio %.2f   peak RSS client %.1f MiB, bare %.1f MiB\n' \
        "$scheme" "$(echo "$c/1000" | bc -l)" "$(echo "$bare/1000" | bc -l)" "$(echo "$c/$bare" | bc -l)" \
        "$(echo "$c_run/1000" | bc -l)" "$(echo "$bare_run/1000" | bc -l)" "$(echo "$c_run/$bare_run" | bc -l)" \
        "$(echo "$(median "client-$scheme" 2)/1024" | bc -l)" "$(echo "$(median bare 2)/1024" | bc -l)"
done
h=$(median client-https 3); p=$(median client-http 3)
printf 'start-up https/http ratio %.2f  (medians of %d alternating runs each)\n' "$(echo "$h/$p" | bc -l)" "$pairs"
