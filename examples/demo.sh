#!/usr/bin/env bash
# The showcase: generates sample images, runs the suite's programs on them
# and says what it wrote. Usage: examples/demo.sh <bin folder> <out folder>
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "$1" && pwd)
out=$2
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
cd "$out"
mkdir -p samples converted labels sections volumes logs

# Runs a program with its output kept in logs/<name>.log; stops the demo
# with the log shown if the program fails.
run() {
  local log=logs/$1.log
  shift
  if ! "$@" >"$log" 2>&1; then
    echo "demo: '$*' failed; its output:" >&2
    cat "$log" >&2
    exit 1
  fi
}

# Replays examples/<name>.ctrl with no typing (standard input at its end)
# and checks that the run wrote a file identical to an earlier one.
replay() {  # tool, control file name, earlier result, replayed result
  cp "$here/$2" "$2"
  run "replay_${2%.ctrl}" "$bin/$1" "$2" </dev/null
  same "$3" "$4"
}

# Stops the demo unless two files are byte-identical.
same() {
  cmp -s "$1" "$2" || { echo "demo: $2 differs from $1" >&2; exit 1; }
}

"$bin/make-samples" samples
echo

echo "== convert-tool, AUTO mode (replies on the command line)"
convert() {
  run "convert_$(basename "$2")" "$bin/convert-tool" "$1" "$2"
  echo "  $1 -> $2"
}
convert samples/gradient.ima converted/gradient.ras
convert samples/palette.ima converted/palette.ras
convert converted/palette.ras converted/palette_back.ima
convert samples/odd.ras converted/odd.ima
convert samples/depth.IMW converted/depth.imw
convert samples/field.imf converted/field.imf
convert samples/colour.ras converted/colour_bgr.ras
echo

echo "== convert-tool, FICHIER mode: replaying examples/convert.ctrl"
replay convert-tool convert.ctrl converted/palette.ras converted/palette_replayed.ras
echo "  converted/palette_replayed.ras is byte-identical to the AUTO run's converted/palette.ras"
echo

# Number of objects a label-tool run reported in its log.
objects_in() { LC_ALL=C grep -a -o '\*\*\* ETIQ \*\*\* [0-9]*' "logs/$1.log" | awk '{print $4}'; }

echo "== label-tool: numbering the bright cells of samples/cells.ima (threshold 100)"
run label_auto "$bin/label-tool" samples/cells.ima 8 100 0 labels/cells.imw
echo "  AUTO, 8-connexity: $(objects_in label_auto) objects; 16-bit labels in labels/cells.imw"
run label_auto4 "$bin/label-tool" samples/cells.ima 4 100 0 labels/cells_4.ima
echo "  AUTO, 4-connexity: $(objects_in label_auto4) objects (two squares touch only at a corner); labels/cells_4.ima"
run label_ras "$bin/label-tool" samples/cells.ima 8 100 0 labels/cells.ras
replay label-tool label.ctrl labels/cells.ras labels/cells_replayed.ras
echo "  FICHIER, replaying examples/label.ctrl: $(objects_in replay_label) objects; 8-bit labels in labels/cells_replayed.ras"
echo "    (byte-identical to the AUTO run's labels/cells.ras)"
echo

echo "== section-tool: sections of samples/phantom.vol (96 x 80 x 48) as rasters"
run section_xy "$bin/section-tool" samples/phantom.vol 1 24 sections/phantom_xy24.ras
echo "  XY section 24 (plane 24): sections/phantom_xy24.ras"
run section_xz "$bin/section-tool" samples/phantom.vol 2 40 sections/phantom_xz40.ras
echo "  XZ section 40 (trace 40 of every plane): sections/phantom_xz40.ras"
run section_yz "$bin/section-tool" samples/phantom.vol 3 38 sections/phantom_yz38.ras
echo "  YZ section 38 (sample 38 of every trace): sections/phantom_yz38.ras"
replay section-tool section.ctrl sections/phantom_yz38.ras sections/phantom_yz38_replayed.ras
echo "  replaying examples/section.ctrl gives the same YZ section: sections/phantom_yz38_replayed.ras"
echo

echo "== volume-convert-tool: volume file <-> LVF"
run to_lvf "$bin/volume-convert-tool" samples/phantom.vol volumes/phantom.lvf
run from_lvf "$bin/volume-convert-tool" volumes/phantom.lvf volumes/phantom_back.vol
same samples/phantom.vol volumes/phantom_back.vol
echo "  samples/phantom.vol -> volumes/phantom.lvf -> volumes/phantom_back.vol (identical to the original)"
echo
echo "== median3d-tool: median filtering of samples/phantom.vol (6% of its voxels are noise)"
run median3 "$bin/median3d-tool" 3 3 3 samples/phantom.vol volumes/phantom_median3.vol
run median3_xy "$bin/section-tool" volumes/phantom_median3.vol 1 24 sections/phantom_median3_xy24.ras
echo "  3x3x3 window: volumes/phantom_median3.vol; its plane 24: sections/phantom_median3_xy24.ras"
echo "    (compare with the noisy sections/phantom_xy24.ras)"
run median5 "$bin/median3d-tool" 5 5 1 samples/phantom.vol volumes/phantom_median5x5x1.vol
echo "  5x5x1 window (within each plane): volumes/phantom_median5x5x1.vol"
replay median3d-tool median3d.ctrl volumes/phantom_median3.vol volumes/phantom_median3_replayed.vol
echo "  replaying examples/median3d.ctrl gives the same volume: volumes/phantom_median3_replayed.vol"
echo

echo "demo: results are in $out (program outputs in $out/logs)"
