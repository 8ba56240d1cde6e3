#!/usr/bin/env bash
# Draws docs/screenshot.png: the window program's main window with the samples dropped on it,
# a few options ticked and one run done, captured under Wine in Xvfb. The run's outputs go to a
# scratch folder that is removed afterwards.
# Usage: scripts/screenshot.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/windows"
tool="$build/tests/window-screenshot.exe"
picture="$root/docs/screenshot.png"

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || ! command -v xvfb-run >/dev/null 2>&1; then
  echo "screenshot.sh: mingw-w64 or Xvfb is missing; run 'bash scripts/setup.sh' first" >&2
  exit 1
fi

# The Windows build: configured and built in full the first time, then only what the picture needs.
if [ ! -f "$build/CMakeCache.txt" ]; then
  bash "$root/scripts/build.sh" windows
else
  cmake --build "$build" -j "${JOBS:-$(nproc)}" --target window-screenshot quillconv
fi

# The samples are part of the checkout; they are made again only when they are gone.
if ! ls "$root"/samples/*.psd >/dev/null 2>&1; then
  bash "$root/scripts/build.sh" linux
  mkdir -p "$root/samples"
  "$root/build/linux/tests/make-samples" "$root/samples"
fi

# Wine sees the Linux root as drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

scratch=$(mktemp -d -t quillmark.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/out"

# The prefix wine-run.sh uses, so that wineserver below waits for the right processes.
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
bash "$root/scripts/wine-run.sh"   # prepares the prefix once
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

# Run in the scratch folder, where a diagnostic log does no harm. Wine's own processes are
# given a while to end before Xvfb goes away (not for ever: a window program of the same prefix
# may be open on the desktop).
cd "$scratch"
status=0
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  wineserver=$1; shift
  bash "$@"; status=$?
  timeout 30 "$wineserver" -w || true
  exit $status' - "$wineserver" "$root/scripts/wine-run.sh" "$tool" \
  "$(winpath "$scratch/screenshot.png")" "$(winpath "$root/samples")" "$(winpath "$scratch/out")" \
  || status=$?

if [ "$status" -ne 0 ] || [ ! -s "$scratch/screenshot.png" ]; then
  echo "screenshot.sh: window-screenshot failed (exit status $status)" >&2
  exit 1
fi
mkdir -p "$(dirname "$picture")"
mv "$scratch/screenshot.png" "$picture"
echo "written: $picture"
