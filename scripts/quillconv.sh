#!/usr/bin/env bash
# Starts the window program (quillconv.exe) under Wine on the current X display, building it
# first when there is no build yet. Files dragged from the file manager onto the window arrive
# as dropped files. The exit status is the program's.
# Usage: scripts/quillconv.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program="$root/build/windows/app/quillconv.exe"

if [ $# -gt 0 ]; then
  echo "usage: scripts/quillconv.sh   (the window program takes no arguments)" >&2
  exit 2
fi

if [ ! -f "$program" ]; then
  if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
    echo "quillconv.sh: the Windows build needs mingw-w64, which is not installed;" \
      "run 'bash scripts/setup.sh' first" >&2
    exit 1
  fi
  echo "quillconv.sh: building the window program into build/windows" >&2
  bash "$root/scripts/build.sh" windows
fi

if [ ! -x /usr/lib/wine/wine64 ] && ! command -v wine >/dev/null 2>&1; then
  echo "quillconv.sh: Wine is not installed; run 'bash scripts/setup.sh' first" >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "quillconv.sh: no X display (DISPLAY is not set); start it from a desktop session" >&2
  exit 1
fi

# A prefix of its own (build/wineprefix-desktop) whose windows the desktop's window manager
# frames and lists like any other.
status=0
QUILLMARK_WINE_DESKTOP=1 bash "$root/scripts/wine-run.sh" "$program" || status=$?
exit "$status"
