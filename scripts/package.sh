#!/usr/bin/env bash
# Makes the release packages in dist/: the Debian package of the command-line tool
# (quillconv-cli_<version>_<arch>.deb) and the Windows zip with the window program
# (quillmark-<version>-win64.zip). It sets up and builds first, so it works from a clean
# checkout; the packages hold the programs of the same builds that scripts/test.sh tests.
# Usage: scripts/package.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dist="$root/dist"

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" linux windows

rm -rf "$dist"
mkdir -p "$dist"
for flavour in linux windows; do
  build="$root/build/$flavour"
  staging="$build/packages"
  rm -rf "$staging"
  (cd "$build" && cpack -B "$staging" >/dev/null)
  find "$staging" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.zip' \) -exec cp {} "$dist/" \;
done
echo "== packages in $dist:"
ls -l "$dist"
