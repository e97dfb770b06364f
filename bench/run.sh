#!/usr/bin/env bash
# Benchmarks: times the programs on large generated inputs, each beside a
# baseline measured in the same run. Usage: bench/run.sh <bin folder>
set -euo pipefail

bin=$(cd "$1" && pwd)
data=$(dirname "$bin")/bench-data
mkdir -p "$data"
cd "$data"

# Best wall-clock time in seconds of five runs of a command. Before each
# run the previous outputs are removed and dirty pages are flushed, so that
# no run waits for the write-back of another.
best_of_5() {
  local best=""
  for _ in 1 2 3 4 5; do
    local t0 t1
    rm -f copy.* out*.*
    sync
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    best=$(echo "$t0 $t1 $best" | awk '{d = $2 - $1; if ($3 == "" || d < $3) print d; else print $3}')
  done
  echo "$best"
}

report() {  # label, seconds, baseline label, baseline seconds
  awk -v l="$1" -v t="$2" -v bl="$3" -v b="$4" \
    'BEGIN { printf "  %-44s %7.3f s   %-22s %7.3f s   ratio %.2f\n", l, t, bl, b, t / b }'
}

echo "== 2D image files (8192 x 8192)"
[ -f big8.ras ] && [ -f big16.imw ] || "$bin/make-samples" --bench .
cp_ras=$(best_of_5 cp big8.ras copy.ras)
conv_ras=$(best_of_5 "$bin/convert-tool" big8.ras out8.ima)
report "convert-tool 8-bit raster -> ima" "$conv_ras" "cp of the raster" "$cp_ras"
cp_imw=$(best_of_5 cp big16.imw copy.imw)
conv_imw=$(best_of_5 "$bin/convert-tool" big16.imw out16.imw)
report "convert-tool imw -> imw" "$conv_imw" "cp of the imw" "$cp_imw"
cmp -s big16.imw out16.imw || { echo "bench: imw round trip differs" >&2; exit 1; }
rm -f copy.ras copy.imw out8.ima out8.dim out16.imw out16.dim
