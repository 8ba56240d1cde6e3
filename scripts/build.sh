#!/usr/bin/env bash
# Builds the project: build/linux (native), and with arguments also build/asan (native with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz target), build/tsan (native with
# clang and ThreadSanitizer: the tool and the test programs that run several threads) and
# build/windows (mingw-w64 cross build).
# Usage: scripts/build.sh [linux] [asan] [tsan] [windows]   (default: linux)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
[ $# -gt 0 ] || set -- linux

for flavour in "$@"; do
  dir="$root/build/$flavour"
  case "$flavour" in
    # Without debug information, as the Windows build below: the tests read none, the package
    # strips it, and it costs a fifth of the build (configure a Debug build for a debugger).
    linux)   args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo
                   "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG") ;;
    # The sanitizer builds use clang: its sanitized programs build faster than GCC's and run
    # several times faster here, and libFuzzer comes with it, so the fuzz target is built
    # alongside the tests.
    asan)    args=(-DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_SANITIZE=ON -DQUILLMARK_FUZZ=ON
                   -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    tsan)    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMARK_SANITIZE_THREAD=ON
                   -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    # Without debug information: nothing under Wine reads it, the packages strip it, and the
    # build is a fifth faster.
    windows) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
                   "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG") ;;
    *) echo "build.sh: unknown build '$flavour' (linux, asan, tsan or windows)" >&2; exit 2 ;;
  esac
  # A folder configured for another compiler (an earlier sanitizer build with GCC) starts anew.
  if { [ "$flavour" = asan ] || [ "$flavour" = tsan ]; } && [ -f "$dir/CMakeCache.txt" ] &&
    ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$dir/CMakeCache.txt"; then
    rm -rf "$dir"
  fi
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "${args[@]}" >/dev/null
  fi
  # The ThreadSanitizer build makes the tool and the test programs that run several threads.
  targets=()
  [ "$flavour" != tsan ] || targets=(--target quillconv-cli graphic_tests conversion_tests cli_tests)
  cmake --build "$dir" -j "$jobs" "${targets[@]}"
done
