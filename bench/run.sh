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

# Peak resident memory in KiB of one run of a command.
peak_kib() {
  rm -f copy.* out*.*
  /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -1
}

echo "== label-tool (8192 x 8192, 8-connexity, threshold 128)"
[ -f blobs.ima ] && [ -f adversarial.ima ] || "$bin/make-samples" --bench .
for image in blobs adversarial; do
  objects=$("$bin/label-tool" $image.ima 8 128 0 out.imw | LC_ALL=C grep -a -o '\*\*\* ETIQ \*\*\* [0-9]*' | awk '{print $4}')
  base=$(best_of_5 "$bin/convert-tool" $image.ima out_copy.ima)
  for ext in imw ima; do
    t=$(best_of_5 "$bin/label-tool" $image.ima 8 128 0 out.$ext)
    report "label-tool $image.ima -> .$ext ($objects objects)" "$t" "convert-tool ima->ima" "$base"
    kib=$(peak_kib "$bin/label-tool" $image.ima 8 128 0 out.$ext)
    awk -v k="$kib" 'BEGIN { printf "  %-44s %7.1f MiB   %.2f bytes per pixel above 16 MiB (limit 4.5)\n", "  peak memory", k / 1024, (k * 1024 - 16 * 1048576) / (8192 * 8192) }'
  done
done
rm -f copy.* out*.*

echo "== median3d-tool (256 x 256 x 256 volume file)"
[ -f vol256.vol ] || "$bin/make-samples" --bench .
base=$(best_of_5 "$bin/volume-convert-tool" vol256.vol out_copy.vol)
for w in 3 5 7; do
  t=$(best_of_5 "$bin/median3d-tool" $w $w $w vol256.vol out.vol)
  report "median3d-tool window ${w}x${w}x${w}" "$t" "read + write (convert)" "$base"
done
rm -f out*.*

if [ -x "$(dirname "$bin")/bench/labelling_bench" ]; then
  echo "== labelling core in memory (4096 x 4096; image 0 blobs, 1 bridged combs, 2 one-pixel stripes)"
  "$(dirname "$bin")/bench/labelling_bench" --benchmark_format=console 2>/dev/null | grep BM_
fi

if [ -x "$(dirname "$bin")/bench/median3d_bench" ]; then
  echo "== median3d in memory (256 x 256 x 256)"
  "$(dirname "$bin")/bench/median3d_bench" --benchmark_format=console 2>/dev/null | grep BM_
fi
