#!/usr/bin/env bash
# Sets up, builds and runs every test; then runs the fuzz targets briefly and
# the whole suite again under the address and undefined-behaviour sanitizers.
# VESK_FUZZ_SECONDS (per target, default 3) and VESK_SANITIZE=0 (skip the
# sanitizer run) tune the extra programs.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
bash "$here/scripts/setup.sh"
# Every C++ file as .clang-format has it.
bash "$here/scripts/check-format.sh"
# The Windows code paths must at least compile with the 32-bit cross compiler.
bash "$here/scripts/check-win32.sh"
BUILD_DIR="$build" bash "$here/scripts/build.sh"

status=0
summary=()
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@") | tee "$build/ctest.log" ||
  status=1
summary+=("tests: $(grep -E 'tests passed' "$build/ctest.log" | tail -1)")
# Programs that print a summary of their own (the fault matrix).
while read -r line; do summary+=("$line"); done < <(grep -hE 'cells held' "$build"/Testing/Temporary/LastTest*.log 2>/dev/null | sort -u)

fuzz_out=$(bash "$here/scripts/fuzz.sh" "${VESK_FUZZ_SECONDS:-3}" 2>&1) || status=1
echo "$fuzz_out"
while read -r line; do summary+=("$line"); done < <(grep -E '^fuzz ' <<<"$fuzz_out")

if [ "${VESK_SANITIZE:-1}" != 0 ]; then
  sanitize_out=$(bash "$here/scripts/sanitize.sh" "$@" 2>&1) || status=1
  echo "$sanitize_out"
  summary+=("$(grep -E '^sanitizers: ' <<<"$sanitize_out" | tail -1)")
fi

echo
printf '%s\n' "${summary[@]}"
exit $status
