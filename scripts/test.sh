#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
#  1. the include check (includes run one way down the layers), then unit, widget and
#     randomised reader tests, offscreen;
#  2. end-to-end tests, the real program under its own Xvfb;
#  3. the unit and widget tests again in an address and undefined-behaviour sanitizer build;
#  4. the readers' libFuzzer targets, each for a bounded time.
# TAVRO_QUICK=1 stops after step 2.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bash scripts/check-includes.sh
export QTWEBENGINE_DISABLE_SANDBOX=1
jobs=$(nproc)

(cd build && ctest --output-on-failure -j"$jobs" -LE e2e)
(cd build && ctest --output-on-failure -L e2e)
[ -n "${TAVRO_QUICK:-}" ] && exit 0

echo "== Sanitizer build (address, undefined behaviour)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRO_SANITIZE=ON -DTAVRO_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
# Leak reports are off: the toolkit keeps process-lifetime allocations it never frees. The
# window-free library's tests run with every other check; only the tests that start the browser
# engine need its own sized deletes let through (they trip the type-mismatch check inside it).
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
   ctest --output-on-failure -j"$jobs" -L core)
(cd build-asan && ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0:alloc_dealloc_mismatch=0:abort_on_error=1 \
   ctest --output-on-failure -j"$jobs" -L ui)

echo "== Fuzzing the readers (libFuzzer)"
targets=$(cd tests/fuzz && ls fuzz_*.cpp 2>/dev/null | sed 's/\.cpp$//' || true)
if [ -n "$targets" ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVRO_FUZZ=ON -DTAVRO_SANITIZE=ON -DTAVRO_BENCH=OFF >/dev/null
  # shellcheck disable=SC2086
  cmake --build build-fuzz -j"$jobs" --target $targets
  passed=0; failed=0
  for t in $targets; do
    seeds=tests/fuzz/corpus/${t#fuzz_}
    work=$(mktemp -d)
    [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
    if QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
         ./build-fuzz/bin/"$t" -max_total_time="${FUZZ_SECONDS:-45}" -timeout=10 -rss_limit_mb=4096 \
         -print_final_stats=1 "$work" >"build-fuzz/$t.log" 2>&1; then
      passed=$((passed+1)); echo "$t: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "build-fuzz/$t.log" || true)"
    else
      failed=$((failed+1)); tail -40 "build-fuzz/$t.log"
    fi
    rm -rf "$work"
  done
  echo "fuzz: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
fi
