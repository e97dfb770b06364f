#!/usr/bin/env bash
# Fills fuzz/corpus/<harness>/ with seed inputs made by the suite's own
# writers: the small files of every binary format written by seed_writer
# (the fuzzing build's writer of seeds), the samples of make-samples and the
# demo's outputs when a build or a demo has made them (files of 16 KiB at
# most), and the examples' .ctrl, .obj, rule and Choquet files. The corpora
# are generated, never committed; the fuzzers add what they find to them.
#   fuzz/seeds.sh [demo output folder, default out]
set -euo pipefail
cd "$(dirname "$0")/.."
demo=${1:-out}
corpus=fuzz/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=detect_leaks=0

mkdir -p "$work/w"
build-fuzz/fuzz/seed_writer "$work/w" >/dev/null
w=$work/w

# seed <harness> <name> <prefix bytes (printf format)> [files, joined by "@@@@"]
seed() {
  local harness=$1 name=$2 prefix=$3
  shift 3
  mkdir -p "$corpus/$harness"
  {
    printf "$prefix"
    local first=1
    for f in "$@"; do
      [ $first -eq 1 ] || printf '@@@@'
      first=0
      cat "$f"
    done
  } >"$corpus/$harness/$name"
}

# Small files of the demo's outputs and of make-samples, by extension.
small() {
  local ext=$1
  for d in "$demo" "$work/samples"; do
    [ -d "$d" ] && find "$d" -type f -name "*.$ext" -size -16385c
  done | sort
}
for b in build/bin build-test/bin; do
  if [ -x "$b/make-samples" ]; then
    mkdir -p "$work/samples"
    (cd "$work/samples" && "$OLDPWD/$b/make-samples" . >/dev/null)
    break
  fi
done


# Dialogue: every example .ctrl; its replies typed (MANUEL) and as
# command-line replies (AUTO).
for c in examples/*.ctrl; do
  n=$(basename "$c" .ctrl)
  seed ctrl_fuzz "$n" "" "$c"
  cut -d'#' -f1 "$c" | sed 's/[[:space:]]*$//' >"$work/replies"
  seed replies_fuzz "$n.manuel" '\x00' "$work/replies"
  seed replies_fuzz "$n.auto" '\x01' "$work/replies"
done

# Raw images: the selector byte of each extension, the .dim, the pixels.
i=0
for pair in ima:u1 imw:u2 IMW:u2 iml:u4 IML:u4 imf:fl IMF:fl cxs:cx4 CXS:cx4 cxf:cx8 CXF:cx8; do
  ext=${pair%%:*}
  t=${pair##*:}
  seed raw_image_fuzz "$ext" "\\x$(printf %02x $i)" "$w/img_$t.dim" "$w/img_$t.${ext,,}"
  i=$((i + 1))
done
for f in $(small ima); do
  [ -f "${f%.ima}.dim" ] && seed raw_image_fuzz "$(basename "$f")" '\x00' "${f%.ima}.dim" "$f"
done

# Rasters (8 and 24 bits).
for f in "$w"/img_u1.ras "$w"/img_rvb.ras $(small ras); do
  seed raster_fuzz "$(basename "$f")" "" "$f"
done

# Colour tables: as the .3lt of an image, and as colour-map text files.
for f in "$w"/img_u1.3lt $(small 3lt) $(small txt); do
  seed lut_fuzz "$(basename "$f")" "" "$f"
  seed colormap_fuzz "$(basename "$f")" "" "$f"
done

# Volumes: every reader (first byte) on every file, whole (mode 0) and
# planes 1 to 2 (mode 2).
for r in 0 1 2 3 4 5 6; do
  for m in 0 2; do
    for f in "$w"/vol_8.vol "$w"/vol_16.vol "$w"/vol_64.vol "$w"/vol.lvf; do
      seed volume_fuzz "$r.$m.$(basename "$f")" "\\x0$r\\x0$m\\x09" "$f"
    done
  done
done
for r in 0 1 2; do seed lvf_fuzz "$r.vol.lvf" "\\x0$r\\x03" "$w/vol.lvf"; done

# Object descriptions, vector fields.
for f in examples/*.obj; do seed objects_fuzz "$(basename "$f")" "" "$f"; done
seed vectors_fuzz field.vec "" "$w/field.vec"

# Rule bases: a few operator codes each.
for code in '\x00' '\x15' '\x1e'; do
  seed rules_symb_fuzz "rules_symb.$(printf %s "$code" | tr -d '\\')" "$code" examples/rules_symb.txt
done
for code in '\x00\x00\x00\x00' '\x01\x04\x08\x01' '\x03\x06\x02\x00'; do
  seed rules_grad_fuzz "rules_grad.$(printf %s "$code" | tr -d '\\')" "$code" examples/rules_grad.txt
done

# Choquet coefficients and criteria.
seed choquet_fuzz example "" examples/choquet_coef.txt examples/choquet_criteria.txt

# Centre files: 2 classes of 1 attribute, 3 classes of 2 attributes.
printf '10\n200\n' >"$work/c1"
printf '10 20\n128 30\n250 240\n' >"$work/c2"
seed fcm_centres_fuzz two '\x01' "$work/c1"
seed fcm_centres_fuzz three '\x06' "$work/c2"

# Learning data: raw points for the rules and the preprocessing, the
# preprocessed set for the rules (3 attributes, 2 classes of 12 points).
seed learning_fuzz raw '\x02\x01\x0b\x0b\x00\x00' "$w/learning_raw.txt"
seed learning_fuzz groups '\x03\x00\x00\x00\x00\x00' "$w/learning_groups.txt"
seed cleaning_fuzz raw '\x01\x01\x0a\x0a\x00\x00' "$w/learning_raw.txt"

for d in "$corpus"/*; do echo "$(basename "$d"): $(ls "$d" | wc -l) seeds"; done
