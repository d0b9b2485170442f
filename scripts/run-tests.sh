#!/usr/bin/env bash
# Sets up, checks and builds, then runs every test once, in the test build
# (build-tests/: everything with the address and undefined-behaviour checks),
# and the fuzz targets briefly. Ends with one summary line per program and
# one line saying where the time went.
#   scripts/run-tests.sh [ctest arguments]
# VESK_FUZZ_SECONDS (per target, default 3); VESK_TEST_JOBS (test programs at
# once, default three per core: most of them wait on sockets and timers).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$here/build-tests}"
status=0
summary=()
times=()
began=$(date +%s)
last=$began
step() { # step NAME: time since the previous step
  local now
  now=$(date +%s)
  times+=("$1 $((now - last)) s")
  last=$now
}

bash "$here/scripts/setup.sh"
step set-up
# Every C++ file as .clang-format has it.
bash "$here/scripts/check-format.sh"
step format
# The 32-bit Windows program and its setup program, signed with a throw-away
# certificate (VESK_WINDOWS=1). Its libraries are built once into a cache
# outside the checkout (a first run says so and takes a while); afterwards
# this is incremental. Without it, the product's sources are compiled
# syntax-only by the 32-bit cross compiler and the platform layer is linked.
win32="${WIN32_BUILD_DIR:-$here/build-win32}"
if [ "${VESK_WINDOWS:-0}" = 1 ]; then
  bash "$here/scripts/win32-toolchain.sh" >/dev/null
  step windows-libraries
  mkdir -p "$win32/test-signing"
  if [ ! -f "$win32/test-signing/key.pem" ]; then
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=VeskMeeting test signer" \
      -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=critical,digitalSignature" \
      -keyout "$win32/test-signing/key.pem" -out "$win32/test-signing/certificate.pem" >/dev/null 2>&1
  fi
  if ! VESK_SIGN_CERT="$win32/test-signing/certificate.pem" VESK_SIGN_KEY="$win32/test-signing/key.pem" \
    WIN32_BUILD_DIR="$win32" bash "$here/scripts/build-win32.sh" >"$win32/build.log" 2>&1; then
    grep -E -A5 'FAILED|error:|Error' "$win32/build.log" | head -60
    echo "the Windows build failed (log $win32/build.log)"
    exit 1
  fi
  setup_program=$(ls "$win32"/VeskMeeting-Setup-*.exe)
  summary+=("windows: $(basename "$setup_program") $(du -h "$setup_program" | cut -f1) (signed: test certificate), program folder $(du -sh "$win32/bin" | cut -f1)")
else
  bash "$here/scripts/check-win32.sh"
  summary+=("windows: sources compiled syntax-only for 32-bit Windows, platform layer linked (VESK_WINDOWS=1 builds the program and its setup program)")
fi
step windows
mkdir -p "$build"
if ! VESK_SANITIZE=1 BUILD_DIR="$build" bash "$here/scripts/build.sh" >"$build/build.log" 2>&1; then
  grep -E -A5 'FAILED|error:|Error' "$build/build.log" | head -60
  echo "the test build failed (log $build/build.log)"
  exit 1
fi
grep -E 'warning:' "$build/build.log" | sort -u | head -20 || true
step build

source "$here/scripts/sanitizer-env.sh"
set +e
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "${VESK_TEST_JOBS:-$(($(nproc) * 3))}" "$@") 2>&1 |
  tee "$build/ctest.log" | grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|tests failed'
rc=${PIPESTATUS[0]}
set -e
if [ $rc -ne 0 ]; then
  status=1
  grep -E '\*\*\*Failed|Failed|Timeout|FAIL!|ERROR: |runtime error: |SUMMARY: ' "$build/ctest.log" | head -40
fi
findings=$(grep -cE '^==[0-9]+==ERROR: |runtime error: ' "$build/ctest.log" || true)
summary+=("tests: $(grep -E 'tests passed' "$build/ctest.log" | tail -1) (log $build/ctest.log)")
summary+=("sanitizers: the whole suite ran with AddressSanitizer and UndefinedBehaviorSanitizer: $findings findings")
# The Windows program under 32-bit Wine (tests/wine/win32-cases.sh).
win32_cases=$(grep -E 'Test +#[0-9]+: win32_' "$build/ctest.log" | grep -vE 'win32_(prefix|stop) ' || true)
win32_skip=$(grep -hE '^SKIP: ' "$build"/Testing/Temporary/LastTest.log 2>/dev/null | grep -m1 -E '32-bit|Windows build' || true)
# grep -c says 0 with a failing status when nothing matches.
count() { grep -cE "$1" <<<"$win32_cases" || true; }
summary+=("windows under Wine: $(count Passed) passed, $(count Skipped) skipped, \
$(count 'Failed|Timeout') failed${win32_skip:+ ($win32_skip)}")
# The fault matrix runs as several processes; each prints its share of a table.
while read -r line; do summary+=("$line"); done < <(
  grep -hE 'cells held$' "$build"/Testing/Temporary/LastTest.log 2>/dev/null |
    awk -F': ' '{split($2, n, "[/ ]"); held[$1] += n[1]; tried[$1] += n[2]}
      END {for (t in held) printf "%s: %d/%d cells held\n", t, held[t], tried[t]}' | sort)
step tests

fuzz_out=$(bash "$here/scripts/fuzz.sh" "${VESK_FUZZ_SECONDS:-3}" 2>&1) || status=1
echo "$fuzz_out"
while read -r line; do summary+=("$line"); done < <(grep -E '^fuzz ' <<<"$fuzz_out")
step fuzz

echo
printf '%s\n' "${summary[@]}"
total=$(($(date +%s) - began))
(IFS=','; echo "time: ${times[*]}; all $total s" | sed 's/,/, /g')
exit $status
