#!/usr/bin/env bash
# Runs the fuzz target (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer), which the
# sanitizer build makes with clang (scripts/build.sh asan builds it first where needed), for
# SECONDS (default 60) on as many workers as there are processors. Seeds: the
# project's own fixtures and samples, small documents of every adjustment and fill kind made by
# make-samples --fuzz-seeds, and the PSD and BMP corpora when they are present.
# Findings land in build/asan/fuzz/findings; the run fails when one is found.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
workers=${FUZZ_WORKERS:-$(nproc)}
build="$root/build/asan"
bash "$root/scripts/build.sh" asan
dir="$build/fuzz"

seeds="$dir/seeds"
corpus="$dir/corpus"
mkdir -p "$seeds" "$corpus" "$dir/findings"
for f in "$root"/samples/* "$root"/tests/fuzz/seeds/*; do
  [ -f "$f" ] && cp -f "$f" "$seeds/"
done
"$build/tests/make-samples" --fuzz-seeds "$seeds"
shared_corpus="$root/../shared/corpus/psd"
if [ -d "$shared_corpus" ]; then
  # Small documents only: large ones slow every execution down.
  find "$shared_corpus" -name '*.ps[db]' -size -200k -exec cp -f {} "$seeds/" \;
fi
if [ -d "$root/../shared/corpus/bmp" ]; then
  for f in "$root"/../shared/corpus/bmp/*/*.bmp; do
    cp -f "$f" "$seeds/bmp-$(basename "$(dirname "$f")")-$(basename "$f")"
  done
fi

cd "$dir/findings"
"$build/tests/fuzz_loaders" "$corpus" "$seeds" -max_total_time="$seconds" -max_len=262144 \
  -malloc_limit_mb=1024 -rss_limit_mb=3072 -timeout=10 -fork="$workers" \
  -artifact_prefix="$dir/findings/" \
  -print_final_stats=1 2>&1 | tail -n 20
if ls "$dir/findings"/crash-* "$dir/findings"/leak-* "$dir/findings"/timeout-* "$dir/findings"/oom-* >/dev/null 2>&1; then
  echo "fuzz: findings in $dir/findings" >&2
  exit 1
fi
