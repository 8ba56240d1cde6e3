#!/usr/bin/env bash
# Runs the tests: the set-up, then for each stage named its build and its tests. With no stage
# named, every stage runs (as CI does): a short fuzzing run of the readers, the Linux tests, the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer and under ThreadSanitizer, the
# Windows tests under Wine in Xvfb, and the release packages (made, installed, used and removed).
# Usage: scripts/test.sh [linux] [asan] [tsan] [windows] [fuzz] [package]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
[ $# -gt 0 ] || set -- fuzz linux asan tsan windows package
for stage in "$@"; do
  case "$stage" in
    linux | asan | tsan | windows | fuzz | package) ;;
    *) echo "test.sh: unknown stage '$stage' (linux, asan, tsan, windows, fuzz or package)" >&2; exit 2 ;;
  esac
done

bash "$root/scripts/setup.sh"
builds=()
for stage in "$@"; do
  case "$stage" in
    package) ;;  # the packages are made by their own script
    fuzz) builds+=(asan) ;;  # the fuzz target is made by the sanitizer build
    *) builds+=("$stage") ;;
  esac
done
# Each build once, in the order first named.
builds=($(printf '%s\n' "${builds[@]}" | awk '!seen[$0]++'))
[ ${#builds[@]} -eq 0 ] || bash "$root/scripts/build.sh" "${builds[@]}"

for stage in "$@"; do
  case "$stage" in
    fuzz)
      echo "== Fuzzing the readers for ${FUZZ_SECONDS:-30} s"
      bash "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-30}"
      ;;
    linux)
      echo "== Linux tests"
      ctest --test-dir "$root/build/linux" -j "$jobs" --output-on-failure
      ;;
    asan)
      echo "== Linux tests under AddressSanitizer and UndefinedBehaviorSanitizer"
      # The corpus checks of what the outputs hold decode nothing that the other corpus checks do
      # not decode under the sanitizers already: the Linux stage runs them.
      ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir "$root/build/asan" -j "$jobs" --output-on-failure -LE output_checks
      ;;
    tsan)
      echo "== Linux tests under ThreadSanitizer"
      # The test programs whose tests run several threads (the reader's rows, the layers of a
      # document on several workers, the command-line tool's parallel runs).
      TSAN_OPTIONS=halt_on_error=1 \
        ctest --test-dir "$root/build/tsan" -j "$jobs" --output-on-failure -L threads
      ;;
    windows)
      echo "== Windows tests under Wine"
      bash "$root/scripts/wine-run.sh"   # prepares the prefix once, before tests start in parallel
      xvfb-run -a ctest --test-dir "$root/build/windows" -j "$jobs" --output-on-failure
      "${WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null || true
      ;;
    package)
      echo "== Release packages"
      bash "$root/scripts/package.sh"
      bash "$root/tests/packaging/check_packages.sh"
      ;;
  esac
done
