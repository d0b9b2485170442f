#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs it. Leaks count as findings; scripts/lsan.supp
# holds the only exceptions, one-time allocations of the libraries.
#   scripts/sanitize.sh [ctest arguments]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ASAN_BUILD_DIR:-$here/build-asan}"
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

gen=()
[ -f "$build/CMakeCache.txt" ] || { command -v ninja >/dev/null && gen=(-G Ninja); }
command -v ccache >/dev/null && gen+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
# The build runs instrumented tools too (the agreement documents).
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=0:strict_init_order=1:verify_asan_link_order=0"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The tests under Xvfb need no OpenGL; without it Mesa's driver, loaded and
# unloaded by Qt, leaves nothing to report under a name.
export QT_XCB_GL_INTEGRATION=none
start=$(date +%s)
set +e
cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1
rc=$?
set -e
if [ $rc -ne 0 ]; then
  grep -E 'FAILED|error|ERROR' "$build/build.log" | head -20
  echo "sanitizers: the instrumented build failed (log $build/build.log)"
  exit $rc
fi
built=$(date +%s)

cd "$build"
set +e
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@" >"$build/sanitize.log" 2>&1
rc=$?
set -e
ran=$(date +%s)
findings=$(grep -cE '^==[0-9]+==ERROR: |runtime error: ' "$build/sanitize.log" || true)
summary=$(grep -E 'tests passed' "$build/sanitize.log" | tail -1)
if [ $rc -ne 0 ]; then
  grep -E 'ERROR: |runtime error: |SUMMARY: |\*\*\*Failed|Failed|Timeout' "$build/sanitize.log" | head -30
fi
echo "sanitizers: ${summary:-no tests ran}; $findings findings; build $((built - start)) s, run $((ran - built)) s (log $build/sanitize.log)"
exit $rc
