#!/usr/bin/env bash
# Checks the packages that scripts/package.sh made in dist/, as their users meet them. The Debian
# package installs with apt, its quillconv-cli reports the package's version, its manual page is
# found, its completion loads, it converts samples/, and it removes without leaving a file. The
# Windows zip holds the window program and the documents, the program needs no DLL that Windows
# lacks, and unpacked it starts under Wine and shows its title. Installs and removes a package:
# run as root (or with sudo).
# Usage: check_packages.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
fail() { echo "check_packages: $*" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

debs=("$root"/dist/quillconv-cli_*.deb)
zips=("$root"/dist/quillmark-*-win64.zip)
[ -f "${debs[0]}" ] && [ ${#debs[@]} -eq 1 ] || fail "expected one quillconv-cli_*.deb in dist/"
[ -f "${zips[0]}" ] && [ ${#zips[@]} -eq 1 ] || fail "expected one quillmark-*-win64.zip in dist/"
deb=${debs[0]} zip=${zips[0]}
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$zip")" = "quillmark-$version-win64.zip" ] || fail "$(basename "$zip") is not of version $version"

echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Depends
if dpkg-query -W -f='${Status}' quillconv-cli 2>/dev/null | grep -q 'install ok installed'; then
  echo "quillconv-cli was installed; it is replaced by this package and removed after the check"
fi
apt_log="$scratch/apt.log"
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall "$deb" >"$apt_log" 2>&1 ||
  { cat "$apt_log" >&2; fail "apt-get could not install $(basename "$deb")"; }
mapfile -t installed < <(dpkg -L quillconv-cli)

[ "$(command -v quillconv-cli)" = /usr/bin/quillconv-cli ] || fail "quillconv-cli is not /usr/bin/quillconv-cli"
quillconv-cli --version | grep -qF "($version)" || fail "--version says '$(quillconv-cli --version)', not $version"
[ "$(man -w quillconv-cli)" = /usr/share/man/man1/quillconv-cli.1 ] || fail "man -w quillconv-cli finds no page"
for document in README.md LICENSE NOTICES manifest.schema.json; do
  [ -f "/usr/share/doc/quillmark/$document" ] || fail "/usr/share/doc/quillmark/$document is missing"
done
completion=$(bash -c 'source /usr/share/bash-completion/completions/quillconv-cli
  COMP_WORDS=(quillconv-cli --naming=folder-s) COMP_CWORD=1; _quillconv_cli; echo "${COMPREPLY[*]}"')
[ "$completion" = --naming=folder-serial ] || fail "the installed completion gave '$completion'"

quillconv-cli -q -o "$scratch/out" --psd-png --psd-layers --psd-mng --info --layer-info \
  --bmp-png --alpha=file "$root/samples" >/dev/null || fail "the installed tool failed on samples/"
quillconv-cli -q -o "$scratch/out" --png-bmp --alpha=split "$root/samples" >/dev/null ||
  fail "the installed tool failed on samples/ (PNG to BMP)"
echo "converted samples/: $(find "$scratch/out" -type f | wc -l) files"

as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q quillconv-cli >"$apt_log" 2>&1 ||
  { cat "$apt_log" >&2; fail "apt-get could not remove quillconv-cli"; }
! dpkg-query -W -f='${Status}' quillconv-cli 2>/dev/null | grep -q 'install ok installed' ||
  fail "quillconv-cli is still installed after removal"
for path in "${installed[@]}"; do
  # Folders the package shares with others (/usr, /usr/share/man ...) stay; its own go.
  if [ -f "$path" ] || [ -L "$path" ] || { [ -d "$path" ] && [[ $path == */quillmark ]]; }; then
    fail "$path is left after removal"
  fi
done
echo "installed, used and removed cleanly (${#installed[@]} paths)"

echo "== $(basename "$zip")"
top="quillmark-$version-win64"
listing=$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')
expected="$top/LICENSE $top/NOTICES $top/README.md $top/quillconv.exe "
[ "$listing" = "$expected" ] || fail "the zip holds '$listing', expected '$expected'"
unzip -q "$zip" -d "$scratch"
program="$scratch/$top/quillconv.exe"
# Only DLLs of Windows itself: the program must start from the unpacked folder alone.
for dll in $(x86_64-w64-mingw32-objdump -p "$program" | awk '/DLL Name:/ { print toupper($3) }'); do
  case "$dll" in
    KERNEL32.DLL | USER32.DLL | GDI32.DLL | COMCTL32.DLL | SHELL32.DLL | OLE32.DLL | VERSION.DLL | \
      MSVCRT.DLL | ADVAPI32.DLL) ;;
    *) fail "quillconv.exe needs $dll, which Windows does not have" ;;
  esac
done
# The program's start test, pointed at the unpacked copy: two windows with the program's title.
bash "$root/scripts/build.sh" windows >/dev/null
bash "$root/scripts/wine-run.sh"
(cd "$scratch" && QUILLCONV_PROGRAM="Z:${program//\//\\}" xvfb-run -a bash "$root/scripts/wine-run.sh" \
  "$root/build/windows/tests/gui_tests.exe" --gtest_filter='ProgramProcess.*' --gtest_brief=1) ||
  fail "quillconv.exe from the zip did not start with its title"
"${WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null || true
echo "the zip's quillconv.exe starts and shows its title"
