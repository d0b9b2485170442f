#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with clang into build-fuzz/ and runs each
# one for a while, starting from the seeds in fuzz/corpus/<target>. What a run
# learns stays in build-fuzz/corpus/; a crash leaves its input in
# build-fuzz/artifacts/ and makes the script fail. A crash found belongs in a
# regular test under tests/.
#   scripts/fuzz.sh [seconds per target, default 300] [target...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"
seconds="${1:-300}"
[ $# -gt 0 ] && shift

gen=()
[ -f "$build/CMakeCache.txt" ] || { command -v ninja >/dev/null && gen=(-G Ninja); }
cmake -S "$here" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DVESK_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzzers -j "$(nproc)" | grep -Ev '^\[[0-9]+/[0-9]+\] ' || true

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for d in "$here"/fuzz/corpus/*/; do targets+=("$(basename "$d")"); done
fi

# Exploring runs on short allocation stacks without leak checks; whole stacks,
# which fuzz/lsan.supp needs to name Qt's own leaks (Qt has no frame
# pointers), cost up to sixteen times the speed, so the leak check is a
# second pass that runs every input of the corpus once with them.
# Allocation stacks are not kept either (a finding still names where it
# happened), new allocations are not filled with a pattern (a sixth of the
# time where Qt or libical allocate much), and libFuzzer does not rerun
# inputs to look for leaks.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0:fast_unwind_on_malloc=1:malloc_context_size=0:max_malloc_fill_size=0"
leak_options="detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=30"
export LSAN_OPTIONS="suppressions=$here/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen
# With TZ unset the C library reads the zone file again for every local time.
export TZ="${TZ:-Asia/Shanghai}"
status=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts"
  log="$build/fuzz-$t.log"
  mkdir -p "$corpus" "$artifacts"
  dict=()
  [ -f "$here/fuzz/$t.dict" ] && dict=(-dict="$here/fuzz/$t.dict")
  # A target may set sanitizer options of its own (fuzz/<target>.asan, one
  # option a line, # for comments); later options win.
  own=""
  [ -f "$here/fuzz/$t.asan" ] && own=":$(grep -v '^#' "$here/fuzz/$t.asan" | paste -sd:)"
  asan="$ASAN_OPTIONS$own"
  set +e
  ASAN_OPTIONS="$asan" "$build/fuzz-bin/$t" "${dict[@]}" -detect_leaks=0 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$t-" "$corpus" "$here/fuzz/corpus/$t" >"$log" 2>&1
  rc=$?
  if [ $rc -eq 0 ]; then
    ASAN_OPTIONS="$ASAN_OPTIONS:$leak_options$own" "$build/fuzz-bin/$t" -runs=0 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$artifacts/$t-leak-" "$corpus" "$here/fuzz/corpus/$t" >"$log.leaks" 2>&1
    rc=$?
    [ $rc -eq 0 ] || cat "$log.leaks" >>"$log"
  fi
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ $rc -eq 0 ]; then
    echo "fuzz $t: ${runs:-0} executions in ${seconds} s, no crash, no sanitizer finding"
  else
    status=1
    echo "fuzz $t: FAILED after ${runs:-?} executions (exit $rc); input in $artifacts, log $log"
    grep -E 'ERROR: |runtime error|SUMMARY|Test unit written|No such file' "$log" | head -8 | sed 's/^/    /' || true
  fi
done
exit $status
