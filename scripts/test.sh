#!/usr/bin/env bash
# Runs every test: set-up, the builds, a short fuzzing run of the readers, then the Linux tests,
# the same tests under AddressSanitizer and UndefinedBehaviorSanitizer and under
# ThreadSanitizer, and the Windows tests under Wine in Xvfb.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" linux asan tsan windows

echo "== Fuzzing the readers for ${FUZZ_SECONDS:-30} s"
bash "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-30}"

echo "== Linux tests"
ctest --test-dir "$root/build/linux" -j "$jobs" --output-on-failure

echo "== Linux tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build/asan" -j "$jobs" --output-on-failure

echo "== Linux tests under ThreadSanitizer"
# The corpus check is single-threaded and already ran twice.
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$root/build/tsan" -j "$jobs" --output-on-failure -E psd_corpus

echo "== Windows tests under Wine"
bash "$root/scripts/wine-run.sh"   # prepares the prefix once, before tests start in parallel
xvfb-run -a ctest --test-dir "$root/build/windows" -j "$jobs" --output-on-failure
"${WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null || true
