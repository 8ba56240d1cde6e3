#!/usr/bin/env bash
# Benchmark: a large layered PSD (2400 x 1800 RGB, 20 layers with alpha, PackBits) made by the
# project's own generator, converted with --psd-png --psd-layers at standard compression; and,
# when ImageMagick is installed, `convert big.psd out-%02d.png` on the same file in the same run.
# Prints wall time and peak memory of both and their ratios, for one file with one worker and
# for a batch of four files with two workers; then the same document read with --extended, and
# a 16-bit version of it, against the first run. Not a test: nothing fails on the figures.
# Usage: bench/run.sh [WORKDIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${1:-$root/build/bench}
bash "$root/scripts/build.sh" linux >/dev/null
cli="$root/build/linux/app/quillconv-cli"
mkdir -p "$work"
rm -rf "$work"/out-* "$work"/batch
[ -f "$work/big.psd" ] || "$root/build/linux/tests/make-samples" --bench "$work/big.psd" 2400 1800 20
ls -l "$work/big.psd"

# Runs a command under GNU time; prints "seconds kilobytes".
measure() {
  local report
  report=$(mktemp)
  /usr/bin/time -f '%e %M' -o "$report" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; cat "$report" >&2; }
  tail -n 1 "$report"
  rm -f "$report"
}
ratio() { python3 -c "import sys; a,b=map(float,sys.argv[1:]); print(f'{a/b:.2f}' if b else 'n/a')" "$1" "$2"; }

[ -x /usr/bin/time ] || { echo "bench: /usr/bin/time is needed (Debian package 'time')" >&2; exit 1; }

read -r q_time q_mem < <(measure "$cli" -q -j 1 --psd-png --psd-layers -o "$work/out-quill" "$work/big.psd")
echo "quillconv-cli, 1 file, 1 worker:   ${q_time} s, ${q_mem} KB peak"

mkdir -p "$work/batch"
for i in 1 2 3 4; do cp -f "$work/big.psd" "$work/batch/big$i.psd"; done
read -r qb_time qb_mem < <(measure "$cli" -q -j 2 --psd-png --psd-layers -o "$work/out-quill-batch" "$work/batch")
echo "quillconv-cli, 4 files, 2 workers: ${qb_time} s, ${qb_mem} KB peak"

if command -v convert >/dev/null; then
  mkdir -p "$work/out-magick"
  read -r m_time m_mem < <(measure convert "$work/big.psd" "$work/out-magick/out-%02d.png")
  echo "ImageMagick convert, 1 file:       ${m_time} s, ${m_mem} KB peak"
  mb_start=$(date +%s.%N)
  for i in 1 2 3 4; do convert "$work/batch/big$i.psd" "$work/out-magick/b$i-%02d.png"; done
  mb_time=$(python3 -c "import time,sys; print(f'{time.time()-float(sys.argv[1]):.2f}')" "$mb_start")
  echo "ImageMagick convert, 4 files:      ${mb_time} s"
  echo "ratios (target): time 1 file $(ratio "$q_time" "$m_time") (<= 0.6), memory $(ratio "$q_mem" "$m_mem") (<= 0.6), time 4 files $(ratio "$qb_time" "$mb_time") (<= 0.35)"
else
  echo "ImageMagick is not installed: no comparison"
fi

# Extended reading: the same document read with --extended, and its 16-bit version (the same
# picture, each value v stored as v x 257, so the outputs are the same).
[ -f "$work/big16.psd" ] || "$root/build/linux/tests/make-samples" --bench "$work/big16.psd" 2400 1800 20 16
read -r e_time e_mem < <(measure "$cli" -q -j 1 --extended --psd-png --psd-layers -o "$work/out-extended" "$work/big.psd")
echo "quillconv-cli --extended, 8-bit:   ${e_time} s, ${e_mem} KB peak"
read -r d_time d_mem < <(measure "$cli" -q -j 1 --extended --psd-png --psd-layers -o "$work/out-16bit" "$work/big16.psd")
echo "quillconv-cli --extended, 16-bit:  ${d_time} s, ${d_mem} KB peak"
echo "ratios to the 8-bit run without --extended (target): --extended time $(ratio "$e_time" "$q_time") (about 1), 16-bit time $(ratio "$d_time" "$q_time") (<= 1.3), 16-bit memory $(ratio "$d_mem" "$q_mem") (<= 1.2)"
