#!/usr/bin/env bash
# Sets up, builds, and converts the bundled samples with every conversion into out/samples.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" linux
cli="$root/build/linux/app/quillconv-cli"
out="$root/out/samples"
rm -rf "$out"
"$cli" --version
echo "== PSD (merged, layers, MNG, animated PNG, reports) and BMP to PNG, alpha from NAME_.bmp files"
"$cli" -o "$out" --psd-png --psd-layers --psd-mng --psd-apng --info --layer-info \
  --mng-offset --mng-title --mng-comment --mng-loop --fps=4 --png-offset \
  --bmp-png --alpha=file "$root/samples"
echo "== BMP to PNG, alpha from the right half"
"$cli" -o "$out" --bmp-png --alpha=split "$root/samples/split.bmp"
echo "== PNG to BMP, alpha in the right half"
"$cli" -o "$out" --png-bmp --alpha=split "$root/samples"
echo "== written to $out:"
(cd "$out" && find . -type f | sort)
