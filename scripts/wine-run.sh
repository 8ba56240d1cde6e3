#!/usr/bin/env bash
# Runs a Windows program under Wine the way the project needs it: a private prefix inside the
# build folder, code page 932 (Wine takes it from the locale ja_JP), no prompts for Mono or
# Gecko, and the face "MS UI Gothic" drawn with a Japanese font (VL Gothic, whose outlines keep
# "_" and "M" at the controls' 12 pixels). Tests and screenshots run without a window manager, so
# there Wine draws the title bars itself; with QUILLMARK_WINE_DESKTOP=1 (the launcher) a prefix
# of its own leaves the windows to the desktop's window manager. With no arguments it only
# prepares the prefix.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
desktop=${QUILLMARK_WINE_DESKTOP:-0}
if [ "$desktop" = 1 ]; then
  export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix-desktop}
else
  export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=ja_JP.UTF-8
# wine64 directly: the programs are 64-bit, and the generic launcher asks for a 32-bit Wine.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

if [ ! -f "$WINEPREFIX/.quillmark-ready-2" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'VL Gothic' /f >/dev/null 2>&1 || true
  if [ "$desktop" != 1 ]; then
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  fi
  "$wineserver" -w || true
  touch "$WINEPREFIX/.quillmark-ready-2"
fi
# Wine draws the buttons of its own title bars with the font Marlett (package fonts-wine), which
# it takes from the prefix's Fonts folder only.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi
[ $# -gt 0 ] || exit 0
exec "$wine" "$@"
