# Shared by the bench scripts: where the programs are, a private run folder,
# an X server, medians and ratios. Source it; do not run it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
bin="$build/bin"
for p in VeskMeeting barewindow fairbare vesk-bench vesk-devservice; do
    [ -x "$bin/$p" ] || { echo "missing $bin/$p: cmake --build $build --target VeskMeeting barewindow fairbare vesk-bench vesk-devservice" >&2; exit 1; }
done

# A private HOME, TMPDIR (single-instance marker and socket) and run folder,
# so a client running elsewhere on the machine never answers for ours.
work="$(mktemp -d /tmp/vesk-bench.XXXXXX)"
mkdir -p "$work/home" "$work/tmp" "$work/app"
export HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/tmp"
export QT_XCB_GL_INTEGRATION=none
cleanup() {
    [ -n "${service_pid:-}" ] && kill "$service_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The client reads config.ini beside its executable: run a copy.
cp "$bin/VeskMeeting" "$bin/libwemeetsdk.so" "$bin/wemeetsdk-windows" "$work/app/"
cp -r "$bin/translations" "$bin/icon" "$work/app/" 2>/dev/null || true
if [ -f "$bin/areaCode.dat" ]; then cp "$bin/areaCode.dat" "$work/app/"; fi

start_x() {
    if [ -z "${DISPLAY:-}" ]; then
        local n=$((90 + RANDOM % 400))
        while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
    fi
}

# start_service <port> [https] [fixtures]: the stand-in service, config.ini pointed at it.
start_service() {
    local port=$1 scheme=http extra=()
    [ "${2:-}" = https ] && { scheme=https; extra+=(--https --cert "$work/cert.pem" --key "$work/key.pem"); }
    [ -n "${3:-}" ] && extra+=(--fixtures "$3")
    [ -n "${service_pid:-}" ] && { kill "$service_pid"; wait "$service_pid" 2>/dev/null || true; }
    if [ "$scheme" = https ] && [ ! -f "$work/cert.pem" ]; then
        "$bin/vesk-devservice" --port "$port" --https >"$work/service.log" 2>&1 &
        local first=$!
        for _ in $(seq 50); do grep -q '^certificate:' "$work/service.log" && break; sleep 0.1; done
        kill "$first"; wait "$first" 2>/dev/null || true
        cp "$bin/devservice-cert.pem" "$work/cert.pem"; cp "$bin/devservice-key.pem" "$work/key.pem"
    fi
    "$bin/vesk-devservice" --port "$port" "${extra[@]}" >"$work/service.log" 2>&1 &
    service_pid=$!
    for _ in $(seq 100); do grep -q 'listening' "$work/service.log" && break; sleep 0.05; done
    local base="$scheme://127.0.0.1:$port"
    service_base="$base/service/"
    cloud_base="${base/127.0.0.1/localhost}/cloud/"
    {
        echo "[CONFIG]"
        echo "SERVICE_URL=$service_base"
        # The service, cloud and identity addresses are three hosts in the field;
        # two names for the one stand-in keep their connections apart as there.
        echo "CLOUD_URL=$cloud_base"
        echo "IDM_URL=${base/127.0.0.1/localhost}/idm/"
        if [ "$scheme" = https ]; then echo "CA_CERTIFICATES=$work/cert.pem"; fi
    } >"$work/app/config.ini"
}

# timed <label> <cmd...>: runs once; appends "run_us rss_kib painted_us
# settled_us screen_peak_kib private_kib" to $work/<label>: the whole run, its
# peak RSS, the time from the start to the program's "painted <epoch us>" line
# (the bare window's and the bench quit's), which leaves the process's own
# teardown out, and from its "settled" line the time to the first idle after
# that paint with the peak RSS and private dirty memory then (0 where a
# program prints none).
timed() {
    local label=$1; shift
    local t0 t1 painted settled
    t0=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null 2>"$work/stderr" || true
    t1=$(date +%s%N)
    painted=$(awk '$1 == "painted" {print $2; exit}' "$work/stderr")
    settled=$(awk -v t0="$((t0 / 1000))" '$1 == "settled" {print $2 - t0, $3, $4; exit}' "$work/stderr")
    echo "$(( (t1 - t0) / 1000 )) $(tail -1 "$work/rss") $(( ${painted:-0} - t0 / 1000 )) ${settled:-0 0 0}" >>"$work/$label"
    # The programs' milestones: time from the start and resident memory then.
    awk -v t0="$((t0 / 1000))" '$1 == "milestone" {print $2, $3 - t0, $4 + 0} $1 == "polished" {print "polished", $2, 0}' \
        "$work/stderr" >>"$work/$label.milestones"
}

# milestones <label>: the medians of each milestone over the runs, in the order they come.
milestones() {
    [ -s "$work/$1.milestones" ] || return 0
    awk 'function med(m, col,    a, b, c, t, s) {
             c = n[m]
             for (a = 1; a <= c; a++) s[a] = v[m, a, col]
             for (a = 1; a <= c; a++) for (b = a + 1; b <= c; b++) if (s[b] < s[a]) {t = s[a]; s[a] = s[b]; s[b] = t}
             return (c % 2) ? s[(c + 1) / 2] : (s[c / 2] + s[c / 2 + 1]) / 2
         }
         {if (!($1 in n)) order[++k] = $1; i = ++n[$1]; v[$1, i, 1] = $2; v[$1, i, 2] = $3}
         END {for (i = 1; i <= k; i++) {m = order[i]
                  if (m == "polished") printf "  %-28s %6d widgets\n", m, med(m, 1)
                  else printf "  %-28s %8.1f ms %6.1f MiB\n", m, med(m, 1) / 1000, med(m, 2) / 1024}}' "$work/$1.milestones"
}

# median <label> <column 1-6>
median() {
    sort -n -k"$2","$2" "$work/$1" | awk -v c="$2" '{v[NR]=$c} END {m=(NR%2)?v[(NR+1)/2]:(v[NR/2]+v[NR/2+1])/2; print m}'
}

machine() {
    echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
}
