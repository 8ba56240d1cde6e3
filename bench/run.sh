#!/usr/bin/env bash
# Benchmark: a large layered PSD (2400 x 1800 RGB, 20 layers with alpha, PackBits) made by the
# project's own generator, converted with --psd-png --psd-layers at standard compression; and,
# when ImageMagick is installed, `convert big.psd out-%02d.png` on the same file in the same run.
# Prints wall time and peak memory of both and their ratios, for one file with one worker and
# for a batch of four files with two workers; then the same document read with --extended, and
# a 16-bit version of it, against the first run.
# Then a one-core line: the processor time (user + sys) of that document with -j 1, the median
# of five runs, and the wall time of the default -j run (also the median of five) divided by it,
# with its target.
# Then a colours line: the document with a wide-gamut RGB profile converted into sRGB against
# the same document written with its numbers, with its target.
# Then an adjustments line: the 20-layer document with four adjustment layers among its layers
# (levels, curves, hue/saturation and an invert with a mask) composed with --psd-png --compose
# on the default workers, against the same composition of the document without them: the
# median of three runs of each, and their ratio with its target.
# Then an effects line: a layer with a drop shadow, an outer glow and a stroke composed against
# the same layer without them, the time of the same effects of 10 and of 200 pixels, and the peak
# memory of an 8000 x 8000 layer with a 250-pixel shadow converted with its effects.
# Then one image on every processor: the 8000 x 8000 document of 8 flat layers converted with
# --psd-png and with --psd-png --compose, on one processor (taskset -c 0: the tool then counts
# one and makes every band itself) and on all: the median of three runs of each, the wall time on
# all over that on one (target: at most 0.6 on two processors), and the wall over the processor
# time of the run on all (aim: close to 1 / processors); and whether the files of the two runs
# are the same bytes.
# Last, a memory table: each document below converted with --psd-png --psd-layers --psd-mng
# (default -j; --extended for the .psb), and with ImageMagick's `convert FILE out-%02d.png`
# when it is installed: file size, wall seconds and peak memory of both, with the targets of
# quillconv-cli beside its figures (memory: at most twice what it took before images were made
# in bands, and at most the document's own target; time: the .psb in at most 0.6 of the 65 s it
# took then). "failed" is a conversion that ended with an error,
# "refused" an ImageMagick that would not take the file (its default policy limits large
# images), "timed out" a command stopped after 10 minutes.
#   layers-2400x1800-{5,20,40}.psd   2400 x 1800, 5, 20 or 40 layers with a shaped alpha
#   flat-8000x8000-{4,8}.psd         8000 x 8000, 4 or 8 layers each one flat colour
#   flat-20000x20000-4.psb           20000 x 20000 large document, 4 flat layers
# The documents are made by the project's generator into WORKDIR when missing and kept there;
# MB is 2^20 bytes. Not a test: nothing fails on the figures.
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

# The merged image composed from the layers instead of taken from the file, on the default
# workers, against the same run without it (target: at most 1.25).
read -r p_time _ < <(measure "$cli" -q --psd-png --psd-layers -o "$work/out-plain" "$work/big.psd")
read -r c_time c_mem < <(measure "$cli" -q --psd-png --psd-layers --compose -o "$work/out-compose" "$work/big.psd")
echo "quillconv-cli --compose:           ${c_time} s, ${c_mem} KB peak ($(ratio "$c_time" "$p_time") of ${p_time} s without it)"

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

# Runs a command under GNU time, stopped after $limit seconds; sets t_status (ok, failed or
# timed out), t_wall (seconds), t_mem (KB peak), t_cpu (user + sys seconds) and t_error (the
# first line the command wrote to standard error, which says why it failed).
limit=600
timed() {
  local report errors rc=0
  report=$(mktemp)
  errors=$(mktemp)
  /usr/bin/time -f '%e %M %U %S' -o "$report" timeout -k 30 "$limit" "$@" >/dev/null 2>"$errors" || rc=$?
  t_error=$(grep -v '^$' "$errors" | head -n 1 || true)
  t_wall=0 t_mem=0 t_cpu=0
  local user=0 sys=0
  read -r t_wall t_mem user sys < <(tail -n 1 "$report") || true
  t_cpu=$(python3 -c "import sys; print(f'{float(sys.argv[1])+float(sys.argv[2]):.2f}')" "$user" "$sys" 2>/dev/null || echo 0)
  case $rc in
    0) t_status=ok ;;
    124) t_status="timed out" ;;
    137) if [ "${t_wall%.*}" -ge "$limit" ]; then t_status="timed out"; else t_status=failed; fi ;;
    *) t_status=failed ;;
  esac
  rm -f "$report" "$errors"
}
median() { python3 -c "import statistics,sys; print(f'{statistics.median(map(float,sys.argv[1:])):.2f}')" "$@"; }
# Megabytes of a count of kilobytes (kb N) or bytes (b N).
mb() { python3 -c "import sys; print(f'{float(sys.argv[2]) / (1024 if sys.argv[1] == \"kb\" else 1048576):.1f}')" "$1" "$2"; }

# One core: the processor time of the 20-layer document with one worker, against the wall time
# of the default run.
one_cpu=() all_wall=() all_cpu=()
for i in 1 2 3 4 5; do
  rm -rf "$work/out-one"
  timed "$cli" -q -j 1 --psd-png --psd-layers -o "$work/out-one" "$work/big.psd"
  [ "$t_status" = ok ] || echo "failed: -j 1 run $i ($t_status): $t_error" >&2
  one_cpu+=("$t_cpu")
  rm -rf "$work/out-one"
  timed "$cli" -q --psd-png --psd-layers -o "$work/out-one" "$work/big.psd"
  [ "$t_status" = ok ] || echo "failed: default -j run $i ($t_status): $t_error" >&2
  all_wall+=("$t_wall") all_cpu+=("$t_cpu")
done
rm -rf "$work/out-one"
o_cpu=$(median "${one_cpu[@]}")
a_wall=$(median "${all_wall[@]}")
a_cpu=$(median "${all_cpu[@]}")
echo "one core: -j 1 processor time ${o_cpu} s (median of 5); default -j ${a_wall} s wall, ${a_cpu} s processor; default -j wall / -j 1 processor time $(ratio "$a_wall" "$o_cpu") (<= 0.55)"

# Colours: the document with a wide-gamut RGB profile converted into sRGB (--color=srgb, its
# layers and merged image through the profile) against the same document written with its
# numbers (--color=none), the median of three runs on the default workers.
[ -f "$work/big-profiled.psd" ] ||
  "$root/build/linux/tests/make-samples" --bench-profiled "$work/big-profiled.psd" 2400 1800 20
srgb_wall=() none_wall=()
for i in 1 2 3; do
  rm -rf "$work/out-color"
  timed "$cli" -q --color=none --psd-png --psd-layers -o "$work/out-color" "$work/big-profiled.psd"
  [ "$t_status" = ok ] || echo "failed: --color=none run $i ($t_status): $t_error" >&2
  none_wall+=("$t_wall")
  rm -rf "$work/out-color"
  timed "$cli" -q --color=srgb --psd-png --psd-layers -o "$work/out-color" "$work/big-profiled.psd"
  [ "$t_status" = ok ] || echo "failed: --color=srgb run $i ($t_status): $t_error" >&2
  srgb_wall+=("$t_wall")
done
rm -rf "$work/out-color"
k_none=$(median "${none_wall[@]}")
k_srgb=$(median "${srgb_wall[@]}")
echo "colours: --color=srgb through a wide-gamut profile ${k_srgb} s, --color=none ${k_none} s (median of 3); srgb / none $(ratio "$k_srgb" "$k_none") (<= 1.25)"

# Adjustment layers: the composition of the document with them over that of the one without.
[ -f "$work/big-adjusted.psd" ] ||
  "$root/build/linux/tests/make-samples" --bench-adjusted "$work/big-adjusted.psd" 2400 1800 20
plain_wall=() adjusted_wall=()
for i in 1 2 3; do
  rm -rf "$work/out-compose-plain" "$work/out-compose-adjusted"
  timed "$cli" -q --psd-png --compose -o "$work/out-compose-plain" "$work/big.psd"
  [ "$t_status" = ok ] || echo "failed: --compose run $i ($t_status): $t_error" >&2
  plain_wall+=("$t_wall")
  timed "$cli" -q --psd-png --compose -o "$work/out-compose-adjusted" "$work/big-adjusted.psd"
  [ "$t_status" = ok ] || echo "failed: --compose with adjustments run $i ($t_status): $t_error" >&2
  adjusted_wall+=("$t_wall") adjusted_mem=$t_mem
done
rm -rf "$work/out-compose-plain" "$work/out-compose-adjusted"
j_plain=$(median "${plain_wall[@]}")
j_adjusted=$(median "${adjusted_wall[@]}")
echo "adjustments: --psd-png --compose ${j_adjusted} s with 4 adjustment layers, ${adjusted_mem} KB peak, ${j_plain} s without (median of 3); with / without $(ratio "$j_adjusted" "$j_plain") (<= 1.3)"

# Layer effects: one 2400 x 1800 layer with a drop shadow and an outer glow of 50 pixels and a
# 3-pixel stroke, composed, against the same layer without effects; the same effects of 10 and
# 200 pixels; and the peak memory of an 8000 x 8000 layer with a 250-pixel shadow converted with
# --compose --as-shown --psd-layers.
for made in "50 all" "10 all" "200 all" "50 none"; do
  read -r size kind <<<"$made"
  [ -f "$work/styled-$size-$kind.psd" ] ||
    "$root/build/linux/tests/make-samples" --bench-styled "$work/styled-$size-$kind.psd" 2400 1800 "$size" "$kind"
done
[ -f "$work/styled-8000-250.psd" ] ||
  "$root/build/linux/tests/make-samples" --bench-styled "$work/styled-8000-250.psd" 8000 8000 250 shadow
declare -A styled_wall=()
for i in 1 2 3; do
  for doc in 50-none 50-all 10-all 200-all; do
    rm -rf "$work/out-styled"
    timed "$cli" -q --psd-png --compose -o "$work/out-styled" "$work/styled-$doc.psd"
    [ "$t_status" = ok ] || echo "failed: --compose of styled-$doc run $i ($t_status): $t_error" >&2
    styled_wall[$doc]="${styled_wall[$doc]:-} $t_wall"
  done
done
rm -rf "$work/out-styled"
# shellcheck disable=SC2086
{ s_none=$(median ${styled_wall[50-none]}); s_all=$(median ${styled_wall[50-all]})
  s_10=$(median ${styled_wall[10-all]}); s_200=$(median ${styled_wall[200-all]}); }
echo "effects: --psd-png --compose ${s_all} s with a 50-pixel drop shadow and outer glow and a 3-pixel stroke, ${s_none} s without (median of 3); with / without $(ratio "$s_all" "$s_none") (<= 3); the same effects of 10 pixels ${s_10} s, of 200 pixels ${s_200} s (200 / 10 $(ratio "$s_200" "$s_10"): the work per pixel does not grow with the size, the pixels the effects reach do)"
rm -rf "$work/out-styled"
timed "$cli" -q --psd-png --psd-layers --compose --as-shown -o "$work/out-styled" "$work/styled-8000-250.psd"
[ "$t_status" = ok ] || echo "failed: 8000 x 8000 with a 250-pixel shadow ($t_status): $t_error" >&2
echo "effects memory: 8000 x 8000, one layer with a 250-pixel shadow, --psd-png --psd-layers --compose --as-shown: ${t_wall} s, $(mb kb "$t_mem") MB peak (<= 160)"
rm -rf "$work/out-styled"

# One image on every processor.
[ -f "$work/flat-8000x8000-8.psd" ] ||
  "$root/build/linux/tests/make-samples" --bench-flat "$work/flat-8000x8000-8.psd" 8000 8000 8
if command -v taskset >/dev/null; then
  processors=$(nproc)
  for kind in plain compose; do
    extra=()
    [ "$kind" = compose ] && extra=(--compose)
    one_wall=() all_wall=() all_cpu=()
    for i in 1 2 3; do
      rm -rf "$work/out-one-core" "$work/out-all-cores"
      timed taskset -c 0 "$cli" -q --psd-png "${extra[@]}" -o "$work/out-one-core" "$work/flat-8000x8000-8.psd"
      [ "$t_status" = ok ] || echo "failed: one processor, $kind, run $i ($t_status): $t_error" >&2
      one_wall+=("$t_wall")
      timed "$cli" -q --psd-png "${extra[@]}" -o "$work/out-all-cores" "$work/flat-8000x8000-8.psd"
      [ "$t_status" = ok ] || echo "failed: all processors, $kind, run $i ($t_status): $t_error" >&2
      all_wall+=("$t_wall") all_cpu+=("$t_cpu")
    done
    same=different
    cmp -s "$work/out-one-core/flat-8000x8000-8.png" "$work/out-all-cores/flat-8000x8000-8.png" && same=same
    rm -rf "$work/out-one-core" "$work/out-all-cores"
    w1=$(median "${one_wall[@]}") wn=$(median "${all_wall[@]}") cn=$(median "${all_cpu[@]}")
    echo "one image, --psd-png${extra[*]:+ ${extra[*]}}: ${wn} s on ${processors} processors, ${w1} s on one (median of 3); all / one $(ratio "$wn" "$w1") (<= 0.6); wall / processor time $(ratio "$wn" "$cn") (aim: $(ratio 1 "$processors")); files $same"
  done
else
  echo "taskset is not installed (Debian package util-linux): no one-image line"
fi

# The memory table.
docs=(layers-2400x1800-5.psd layers-2400x1800-20.psd layers-2400x1800-40.psd
      flat-8000x8000-4.psd flat-8000x8000-8.psd flat-20000x20000-4.psb)
makes=("--bench 2400 1800 5" "--bench 2400 1800 20" "--bench 2400 1800 40"
       "--bench-flat 8000 8000 4" "--bench-flat 8000 8000 8" "--bench-flat 20000 20000 4 psb")
targets=(13 15 15 17 17 27)
time_targets=("" "" "" "" "" 39)
for i in "${!docs[@]}"; do
  if [ ! -f "$work/${docs[$i]}" ]; then
    read -r kind w h n extra <<<"${makes[$i]}"
    "$root/build/linux/tests/make-samples" "$kind" "$work/${docs[$i]}" "$w" "$h" "$n" ${extra:+"$extra"}
  fi
done
magick=0
command -v convert >/dev/null && magick=1
echo
echo "memory (MB = 2^20 bytes; quillconv-cli --psd-png --psd-layers --psd-mng, default -j; target in parentheses):"
if [ "$magick" = 1 ]; then
  printf '%-26s %8s %14s %14s %10s %10s\n' document "file MB" "quill s" "quill MB" "magick s" "magick MB"
else
  echo "ImageMagick is not installed: no convert columns"
  printf '%-26s %8s %14s %14s\n' document "file MB" "quill s" "quill MB"
fi
for i in "${!docs[@]}"; do
  doc=${docs[$i]}
  size=$(mb b "$(stat -c %s "$work/$doc")")
  extended=()
  [[ $doc == *.psb ]] && extended=(--extended)
  rm -rf "$work/out-table"
  timed "$cli" -q "${extended[@]}" --psd-png --psd-layers --psd-mng -o "$work/out-table" "$work/$doc"
  if [ "$t_status" = ok ]; then
    q_s=$t_wall q_mb=$(mb kb "$t_mem")
  else
    q_s=$t_status q_mb=-
    echo "$doc: quillconv-cli $t_status: $t_error" >&2
  fi
  [ -z "${targets[$i]}" ] || q_mb="$q_mb (<= ${targets[$i]})"
  [ -z "${time_targets[$i]}" ] || q_s="$q_s (<= ${time_targets[$i]})"
  rm -rf "$work/out-table"
  if [ "$magick" = 1 ]; then
    mkdir -p "$work/out-table-magick"
    timed convert "$work/$doc" "$work/out-table-magick/out-%02d.png"
    case $t_status in
      ok) m_s=$t_wall m_mb=$(mb kb "$t_mem") ;;
      failed) m_s=refused m_mb=- ;;
      *) m_s=$t_status m_mb=- ;;
    esac
    [ "$t_status" = ok ] || echo "$doc: convert $m_s: $t_error" >&2
    rm -rf "$work/out-table-magick"
    printf '%-26s %8s %14s %14s %10s %10s\n' "$doc" "$size" "$q_s" "$q_mb" "$m_s" "$m_mb"
  else
    printf '%-26s %8s %14s %14s\n' "$doc" "$size" "$q_s" "$q_mb"
  fi
done
