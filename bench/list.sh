#!/usr/bin/env bash
# The home screen with 10, 200 and 1000 meetings: query answer -> list painted,
# a wheel step, and peak RSS against the bare window; then log lines per second
# and the sign-in chain's wall time.
#   bench/list.sh [runs]      (default 5; medians)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
runs=${1:-5}
start_x
machine
for _ in $(seq "$runs"); do timed bare "$bin/barewindow"; done
bare_rss=$(median bare 2)
for n in 10 200 1000; do
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%M' -o "$work/rss" "$bin/vesk-bench" list "$n" 2>/dev/null >>"$work/list-$n"
        echo "$(cat "$work/rss")" >>"$work/rss-$n"
    done
    build=$(awk '{print $5}' "$work/list-$n" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}')
    step=$(awk '{print $9}' "$work/list-$n" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}')
    rss=$(sort -n "$work/rss-$n" | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}')
    printf 'home with %4d meetings  list build+paint %6.1f ms  wheel step %.2f ms  peak RSS %.1f MiB (bare + %.1f MiB)\n' \
        "$n" "$build" "$step" "$(echo "$rss/1024" | bc -l)" "$(echo "($rss-$bare_rss)/1024" | bc -l)"
done
printf 'bare window peak RSS %.1f MiB\n' "$(echo "$bare_rss/1024" | bc -l)"
r10=$(sort -n "$work/rss-10" | head -1); r1000=$(sort -n "$work/rss-1000" | head -1)
printf 'memory per meeting (1000 vs 10) %.1f KB\n' "$(echo "($r1000-$r10)/990" | bc -l)"
"$bin/vesk-bench" log 200000 2>/dev/null
for _ in $(seq "$runs"); do "$bin/vesk-bench" signin 2>/dev/null >>"$work/signin" || true; done
chain=$(awk '{print $12}' "$work/signin" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}')
printf 'sign-in chain (meeting token -> SDK initialised and signed in) %s ms, median of %d\n' "$chain" "$runs"
