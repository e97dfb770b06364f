#!/usr/bin/env bash
# The showcase: generates sample images, runs the suite's programs on them
# and says what it wrote, then replays every examples/*.ctrl and checks that
# each replay wrote the same file as the run with the replies on the
# command line, and ends with a picture gallery of every step (index.html,
# by examples/gallery.sh). Usage: examples/demo.sh <bin folder> <out folder>
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "$1" && pwd)
out=$2
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
cd "$out"
mkdir -p samples converted labels sections volumes filters classification learning logs

# The runs, in order. "== title" opens a section. Other lines:
#   log | program and arguments | count | check | what to say
# The program's output goes to logs/<log>.log. count is an extended regular
# expression ending in a number, picked from that log: "{count}" in what is
# said becomes that number. check "A B" stops the demo unless the files A
# and B are byte-identical after the run. A line with no log and no program
# continues what the line above said, further indented.
table=$(cat <<'EOF'
== convert-tool, AUTO mode (replies on the command line)
convert_gradient.ras | convert-tool samples/gradient.ima converted/gradient.ras | | | samples/gradient.ima -> converted/gradient.ras
convert_palette.ras | convert-tool samples/palette.ima converted/palette.ras | | | samples/palette.ima -> converted/palette.ras
convert_palette_back.ima | convert-tool converted/palette.ras converted/palette_back.ima | | | converted/palette.ras -> converted/palette_back.ima
convert_odd.ima | convert-tool samples/odd.ras converted/odd.ima | | | samples/odd.ras -> converted/odd.ima
convert_rle.ima | convert-tool samples/gradient_rle.ras converted/gradient_rle.ima | | converted/gradient_rle.ima samples/gradient.ima | samples/gradient_rle.ras (byte-encoded, raster type 2, grey map) -> converted/gradient_rle.ima, the pixels of samples/gradient.ima
png_depth | png-export-tool samples/depth.IMW converted/depth.png | | | samples/depth.IMW scaled to its range as a PNG picture: converted/depth.png
convert_depth.imw | convert-tool samples/depth.IMW converted/depth.imw | | | samples/depth.IMW -> converted/depth.imw
convert_field.imf | convert-tool samples/field.imf converted/field.imf | | | samples/field.imf -> converted/field.imf
convert_colour_bgr.ras | convert-tool samples/colour.ras converted/colour_bgr.ras | | | samples/colour.ras -> converted/colour_bgr.ras

== synthetic-image-tool: the cell images, drawn from object descriptions (examples/*.obj)
cells | synthetic-image-tool 320 240 samples/cells.ima 30 samples/cells.obj | fond a [0-9.]+ et [0-9]+ | | {count} rectangles over a ground of 30, the first one covering a pixel giving its value (holes come first): samples/cells.ima
cells_mask | synthetic-image-tool 320 240 samples/cells_mask.ima 0 samples/cells_mask.obj | | | the same cells as objects of 255 on 0 (the dim cells and the holes 0): samples/cells_mask.ima

== label-tool: numbering the bright cells of samples/cells.ima (threshold 100)
label_auto | label-tool samples/cells.ima 8 100 0 labels/cells.imw | \*\*\* ETIQ \*\*\* [0-9]+ | | AUTO, 8-connexity: {count} objects; 16-bit labels in labels/cells.imw
label_auto4 | label-tool samples/cells.ima 4 100 0 labels/cells_4.ima | \*\*\* ETIQ \*\*\* [0-9]+ | | AUTO, 4-connexity: {count} objects (two squares touch only at a corner); labels/cells_4.ima
label_ras | label-tool samples/cells.ima 8 100 0 labels/cells.ras | \*\*\* ETIQ \*\*\* [0-9]+ | | AUTO, 8-connexity: {count} objects; 8-bit labels in labels/cells.ras

== section-tool: sections of samples/phantom.vol (96 x 80 x 48) as rasters
section_xy | section-tool samples/phantom.vol 1 24 sections/phantom_xy24.ras | | | XY section 24 (plane 24): sections/phantom_xy24.ras
section_xz | section-tool samples/phantom.vol 2 40 sections/phantom_xz40.ras | | | XZ section 40 (trace 40 of every plane): sections/phantom_xz40.ras
section_yz | section-tool samples/phantom.vol 3 38 sections/phantom_yz38.ras | | | YZ section 38 (sample 38 of every trace): sections/phantom_yz38.ras

== volume-convert-tool: volume file <-> LVF
to_lvf | volume-convert-tool samples/phantom.vol volumes/phantom.lvf | | |
from_lvf | volume-convert-tool volumes/phantom.lvf volumes/phantom_back.vol | | samples/phantom.vol volumes/phantom_back.vol | samples/phantom.vol -> volumes/phantom.lvf -> volumes/phantom_back.vol (identical to the original)

== median3d-tool: median filtering of samples/phantom.vol (6% of its voxels are noise)
median3 | median3d-tool 3 3 3 samples/phantom.vol volumes/phantom_median3.vol | | |
median3_xy | section-tool volumes/phantom_median3.vol 1 24 sections/phantom_median3_xy24.ras | | | 3x3x3 window: volumes/phantom_median3.vol; its plane 24: sections/phantom_median3_xy24.ras
 | | | | (compare with the noisy sections/phantom_xy24.ras)
median5 | median3d-tool 5 5 1 samples/phantom.vol volumes/phantom_median5x5x1.vol | | | 5x5x1 window (within each plane): volumes/phantom_median5x5x1.vol

== distance maps: the cells of labels/cells_4.ima (label 0 is the ground) and samples/objects.vol
chamfer | chamfer-tool labels/cells_4.ima filters/cells_chamfer.imf | | | chamfer distance of every cell pixel to the ground, floats: filters/cells_chamfer.imf
distance1 | distance-image-tool labels/cells_4.ima 1 10 filters/cells_distance.ras | | | optimised masks, square pixels (L 1, n 10), 0 ... 255: filters/cells_distance.ras
distance2 | distance-image-tool labels/cells_4.ima 2 10 filters/cells_distance_l2.ras | | | the same cells taken as pixels twice as wide as high (L 2): filters/cells_distance_l2.ras
distance3d | distance3d-tool samples/objects.vol volumes/objects_distance.vol | | | distances inside the ball and the tube, 65 a voxel step, 64-bit volume file: volumes/objects_distance.vol

== region growing and object statistics
rg_cells | region-growing-tool samples/cells.ima 2 8 4 20 filters/cells_regions.ima | avant agregation = [0-9]+ | | thresholds 8, 12, 16 ({count} regions at 8); regions of 20 pixels or fewer 0: filters/cells_regions.ima
rg_gradient | region-growing-tool samples/gradient.ima 1 4 0 0 filters/gradient_regions.ras | | | threshold 4 twice, the rings as flat bands: filters/gradient_regions.ras
rg3d | region-growing-3d-tool samples/phantom.vol 2 4 4 volumes/phantom_regions.vol | nb_label_effectif: [0-9]+ | | thresholds 4 and 8: {count} regions (noise voxels stay alone): volumes/phantom_regions.vol
rg3d_xy | section-tool volumes/phantom_regions.vol 1 24 sections/phantom_regions_xy24.ras | | | its plane 24: sections/phantom_regions_xy24.ras
stats_ball | volume-statistics-tool samples/phantom.vol 210 | Nombre d'objets: [0-9]+ | | grey level 210 (the ball): {count} object; attr.txt, vol.txt
stats_noise | volume-statistics-tool samples/phantom.vol 255 | Nombre d'objets: [0-9]+ | | grey level 255 (noise): {count} objects; attr.txt, vol.txt (rewritten)

== filters on samples/noisy.ima (noise of +-20 and 3% impulses)
mean5 | mean-tool samples/noisy.ima 5 5 filters/noisy_mean5.ima | | | 5x5 mean: filters/noisy_mean5.ima
meansq5 | mean-square-tool samples/noisy.ima 5 5 filters/noisy_sq5.imf | | | 5x5 mean of squares, floats: filters/noisy_sq5.imf
lee5 | lee-tool samples/noisy.ima 5 5 400 filters/noisy_lee5.ima | lee_addu1_calc : [0-9]+ | | Lee, 5x5, noise variance 400: filters/noisy_lee5.ima ({count} pixels kept their mean)
hmedian5 | histogram-median-tool samples/noisy.ima 5 filters/noisy_median5.ima | | | 5x5 median: filters/noisy_median5.ima (the impulses are gone)
hmedian3 | histogram-median-tool sections/phantom_xy24.ras 3 sections/phantom_xy24_median3.ras | | | 3x3 median of the noisy section: sections/phantom_xy24_median3.ras

== 16 to 8 bits: samples/depth.IMW
conv_m1 | range-conversion-tool samples/depth.IMW 1 2 converted/depth_m1.ras | | | method 1, [min, mean + 2 sigma]: converted/depth_m1.ras
conv_m2 | range-conversion-tool samples/depth.IMW 2 1 converted/depth_m2.ras | | | method 2, [1% quantile, 99% quantile]: converted/depth_m2.ras
conv_m3 | range-conversion-tool samples/depth.IMW 3 40000 converted/depth_m3.ima | | | method 3, [0, 40000]: converted/depth_m3.ima

== speckle: four looks of one scene (samples/speckle_1.imw ... speckle_4.imw, 3 looks each)
kuan7 | kuan-tool samples/speckle_1.imw 7 7 3 filters/speckle_kuan7.imw | kuanu2_calc : [0-9]+ | | Kuan, 7x7, 3 looks: filters/speckle_kuan7.imw ({count} pixels kept their mean)
logdct | log-dct-tool 4 samples/speckle_1.imw samples/speckle_2.imw samples/speckle_3.imw samples/speckle_4.imw filters/coef_1.imf filters/coef_2.imf filters/coef_3.imf filters/coef_4.imf | | | log-DCT across the looks: filters/coef_1.imf (2 x the mean logarithm) ... filters/coef_4.imf
idctexp | idct-exp-tool 4 1 filters/coef_1.imf filters/coef_2.imf filters/coef_3.imf filters/coef_4.imf filters/back_1.imw filters/back_2.imw filters/back_3.imw filters/back_4.imw | | samples/speckle_4.imw filters/back_4.imw | back with a bias of 1: filters/back_1.imw ... filters/back_4.imw (identical to the looks)
despeckle | idct-exp-tool 4 0.84 filters/coef_1.imf samples/zero.imf samples/zero.imf samples/zero.imf filters/despeckled_1.imw filters/despeckled_2.imw filters/despeckled_3.imw filters/despeckled_4.imw | | | coefficient 0 alone, bias 0.84: filters/despeckled_1.imw, the geometric mean of the looks
despeckle8 | range-conversion-tool filters/despeckled_1.imw 2 1 filters/despeckled_1.ras | | | and in 8 bits: filters/despeckled_1.ras (compare with range-conversion-tool on samples/speckle_1.imw)

== colour: samples/colour.ras (129 x 96), samples/gradient.ima and samples/cells.ima
tls | colour-conversion-tool 1 0 0 0 samples/colour.ras converted/colour_tls.ras | | | RGB -> TLS codes as red, green, blue: converted/colour_tls.ras
tls_back | colour-conversion-tool 2 0 0 0 converted/colour_tls.ras converted/colour_tls_back.ras | | | and back to RGB: converted/colour_tls_back.ras
hsv | colour-conversion-tool 3 0 0 0 samples/colour.ras converted/colour_h.imf converted/colour_s.imf converted/colour_v.imf | | | RGB -> HSV as floats: converted/colour_h.imf, colour_s.imf, colour_v.imf
hue120 | colour-conversion-tool 4 120 0 0 converted/colour_h.imf converted/colour_s.imf converted/colour_v.imf converted/colour_hue120.ras | | | HSV -> RGB, hue turned by 120 degrees: converted/colour_hue120.ras
lab | colour-conversion-tool 5 0 0 0 1 samples/colour.ras converted/colour_L.imf converted/colour_a.imf converted/colour_b.imf | | | L*a*b*: converted/colour_L.imf, colour_a.imf, colour_b.imf
indexed | indexed-colour-tool samples/colour.ras 16 5 converted/colour_idx16.ras | | | 16-colour palette learnt in 5 epochs: converted/colour_idx16.ras (weights in WEIGHTS.TXT)
heat | colormap-tool samples/gradient.ima samples/heat.txt converted/gradient_heat.ras | | | gradient with the colour map samples/heat.txt: converted/gradient_heat.ras
crop | crop-tool samples/cells.ima 100 60 120 80 converted/cells_crop.ima cellules | | | 120 x 80 window at (100, 60): converted/cells_crop.ima, origin in converted/cells_crop.origima

== sample operators and a new operator's skeleton
sample_mask | sample-mask-tool samples/cells.ima 5 3 0.5 rectangle converted/cells_bidon.ras | | | bidon: a copy of samples/cells.ima, beside a 5x3 mask of 0.5: converted/cells_bidon.ras
sample_copy | sample-copy-tool samples/phantom.vol 3 4 0.5 cube volumes/phantom_essai.vol | | | essai: every voxel of samples/phantom.vol plus 3 x 4 + 0.5 (12), modulo 256: volumes/phantom_essai.vol
skeleton | skeleton-tool lseuil | | | the skeleton of an operator "seuil" to fill in: lseuil.c and seuil.h

== texture: co-occurrence features and Haar coefficients of samples/phantom.vol (96 x 80 x 48)
cooc | cooccurrence-tool samples/phantom.vol 5 5 5 1 0 0 1 0 0 1 1 0 0 1 0 volumes/phantom_cooc | Mcoocur_calc : [0-9]+ | | 5x5x5 windows, displacement (1,0,0), {count} windows: contrast, entropy, homogeneity and sum entropy as 64-bit volumes volumes/phantom_cooc_Con.vol, _Ent.vol, _Hom.vol, _SEn.vol
haar2 | haar-tool samples/phantom.vol 2 volumes/phantom_haar2.vol | | | 2-level Haar pyramid: volumes/phantom_haar2.vol
haar2_xy | section-tool volumes/phantom_haar2.vol 1 6 sections/phantom_haar2_xy6.ras | | | its plane 6 (level-2 approximation top left, details around): sections/phantom_haar2_xy6.ras
haarw_mean | haar-window-tool samples/phantom.vol 1 8 8 8 0 1 volumes/phantom_haar_mean.vol | | | mean of each 8x8x8 window's level-1 approximation: volumes/phantom_haar_mean.vol
haarw_entropy | haar-window-tool samples/phantom.vol 1 8 8 8 0 2 volumes/phantom_haar_entropy.vol | | | its normalised entropy: volumes/phantom_haar_entropy.vol
haarw_xy | section-tool volumes/phantom_haar_entropy.vol 1 24 sections/phantom_haar_entropy_xy24.ras | | | plane 24 (the ball smooth inside, its rim rough): sections/phantom_haar_entropy_xy24.ras

== gradients, contours and vector fields
org | gradient-organisation-tool volumes/phantom.lvf 0 5 5 5 4 1 0.05 volumes/phantom_org.lvf | Section [0-9]+/[0-9]+ | | largest eigenvalue of the gradient tensor over 5x5x5 boxes, streamed plane by plane ({count} sections): volumes/phantom_org.lvf
org_xy | section-tool volumes/phantom_org.lvf 1 24 sections/phantom_org_xy24.ras | | | plane 24 (bright on the ball's surface, dark inside and outside): sections/phantom_org_xy24.ras
contour | contour-tool samples/speckle_1.imw 11 0 1 filters/speckle_contours.imf filters/speckle_directions.ras | | | oriented contours of a speckled 16-bit image, 11x11 window, local maxima: strengths filters/speckle_contours.imf, direction codes filters/speckle_directions.ras
vector | vector-tool samples/phantom16.vol samples/swirl.vec volumes/phantom16_swirl.vol 3 0 0 | | | the 16-bit phantom smoothed along circles about its axis (7-voxel segments): volumes/phantom16_swirl.vol
vector_draw | vector-tool samples/phantom16.vol samples/swirl.vec volumes/phantom16_drawn.vol 4 1 4000 | | | the field drawn every 9 voxels with intensity 4000: volumes/phantom16_drawn.vol
vector_xy | section-tool volumes/phantom16_drawn.vol 1 27 sections/phantom16_drawn_xy27.ras | | | its plane 27: sections/phantom16_drawn_xy27.ras

== classification: a ring map, confusion matrices and fuzzy rules
fcm | fcm-tool 3 samples/attr_1.ima samples/attr_2.ima samples/attr_3.ima 0 4 2 0.001 100 .ras 1 classification/fcm.ima | apr.s  [0-9]+ | | samples/attr_1..3.ima (four clusters, truth samples/clusters.ima) by fuzzy c-means, 4 classes, converged in {count} cycles: classification/fcm.ima, memberships classification/fcm_m0..3.ras
fcm_zone | fcm-tool 3 samples/attr_1.ima samples/attr_2.ima samples/attr_3.ima 1 64 64 191 191 4 2.5 0.001 100 .imf 0 classification/fcm_zone.ima | | | the central 128 x 128, m 2.5, random memberships: classification/fcm_zone.ima, classification/fcm_zone_m0..3.imf
learning | learning-set-tool 3 samples/attr_1.ima samples/attr_2.ima samples/attr_3.ima 0 samples/training.ima 0 classification/learning.data | Il y a [0-9]+ | | {count} learning points of 4 classes from samples/training.ima (label 0 left out): classification/learning.data
kohonen4 | kohonen-tool 2 4 2 0.5 5 0 1 samples/gradient.ima samples/noisy.ima classification/kohonen4.ima | | | samples/gradient.ima and noisy.ima by 4 neurons on a ring, 5 epochs from a ramp, rescaled inputs: classification/kohonen4.ima (grey levels 0, 84, 169, 254)
confusion_noisy | confusion-tool 3 samples/phantom.vol 1 samples/phantom_truth.vol | Taux global : [0-9]+ | | the noisy phantom as 4 grey-level classes against its true classes (samples/phantom_truth.vol): {count}% overall
confusion_median | confusion-tool 3 volumes/phantom_median3.vol 1 samples/phantom_truth.vol | Taux global : [0-9]+ | | after the 3x3x3 median: {count}% overall (the matrices in logs/confusion_*.log)
confusion_plane | confusion-tool 3 volumes/phantom_median3.vol 0 samples/phantom_truth24.ima 24 | Taux global : [0-9]+ | | its plane 24 against a 2D ground truth: {count}%
fuzzy_symb | fuzzy-rules-tool 0 samples/rules_symb.txt 1 0 0 2 samples/gradient.ima samples/noisy.ima classification/tones_symb.ras | | | tones of samples/gradient.ima and noisy.ima by symbolic rules (samples/rules_symb.txt; product, max), winning term 0 sombre, 1 moyen, 2 clair: classification/tones_symb.ras
fuzzy_symb_imf | fuzzy-rules-tool 0 samples/rules_symb.txt 1 0 1 2 samples/gradient.ima samples/noisy.ima classification/tones_symb.imf | | | the centroid of the peaks 0, 128, 255, floats: classification/tones_symb.imf
fuzzy_grad | fuzzy-rules-tool 1 samples/rules_grad.txt 0 1 4 0 2 samples/gradient.ima samples/noisy.ima classification/tones_grad.ras | | | by gradual rules (samples/rules_grad.txt; min, product, max): classification/tones_grad.ras

== gradual rules: learning points of the cells of samples/cells_mask.ima (attributes: samples/cells.ima and its 5 x 5 mean), grouped, and their rules
cells_mean5 | mean-tool samples/cells.ima 5 5 filters/cells_mean5.ima | | |
cells_points | learning-set-tool 2 samples/cells.ima filters/cells_mean5.ima 0 samples/cells_mask.ima 0 learning/cells_points.txt | \(label 255\) : [0-9]+ | | {count} learning points of label 255 (the ground, label 0, left out): learning/cells_points.txt
rules_raw | rules-learning-tool learning/cells_points.txt 0 learning/cells_corners.txt learning/cells_rules.txt 2 1 8443 | | | the class's hull: learning/cells_corners.txt; its gradual rules: learning/cells_rules.txt
cleaning | learning-set-cleaning-tool learning/cells_points.txt 1 8443 2 learning/cells_groups.txt | | | cleaned, thinned and grouped by competitive agglomeration: learning/cells_groups.txt (traces learn_clean.data, compet_agg.txt, learning_set_processing.txt)
rules_groups | rules-learning-tool learning/cells_groups.txt 1 learning/cells_group_corners.txt learning/cells_group_rules.txt 2 | | | a hull per group: learning/cells_group_corners.txt; their rules: learning/cells_group_rules.txt
EOF
)

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

# Stops the demo unless two files are byte-identical.
same() {
  [ -f "$1" ] || { echo "demo: $1 was not written" >&2; exit 1; }
  cmp -s "$1" "$2" || { echo "demo: $2 differs from $1" >&2; exit 1; }
}

# The number at the end of the first match of a pattern in logs/<name>.log.
count_in() {  # log name, pattern
  LC_ALL=C grep -a -o -E -m 1 "$2" "logs/$1.log" | head -1 | grep -o -E '[0-9]+$' ||
    { echo "demo: no match of '$2' in logs/$1.log" >&2; exit 1; }
}

# The files a command line names, for the gallery: each word that is a file,
# and the files "<word without its extension>_*" of a word with a folder
# (results named by prefix, such as fcm-tool's memberships).
named_files() {
  local word
  for word in "$@"; do
    if [ -f "$word" ]; then echo "$word"; fi
    if [[ $word == */* ]]; then compgen -G "${word%.*}_*" || true; fi
  done | awk '!seen[$0]++'
}

trim() { local s=$1; s=${s#"${s%%[![:space:]]*}"}; echo "${s%"${s##*[![:space:]]}"}"; }

"$bin/make-samples" samples
# The object descriptions that synthetic-image-tool draws the cell images
# from, the rule bases and the Choquet coefficients and criteria.
cp "$here"/*.obj "$here"/*.txt samples/

declare -A count_pattern  # program -> pattern of its object count, for the replays
steps=""  # the gallery's steps: log | command line | inputs | outputs
while IFS= read -r -u 3 line; do
  [ -z "$(trim "$line")" ] && continue
  if [[ $line == "== "* ]]; then
    echo
    echo "$line"
    steps+=$line$'\n'
    continue
  fi
  IFS='|' read -r log command pattern check say <<<"$line"
  log=$(trim "$log") pattern=$(trim "$pattern") say=$(trim "$say")
  read -r -a cmd <<<"$command"
  read -r -a files <<<"$check"
  if [ -z "$log" ] && [ ${#cmd[@]} = 0 ]; then
    echo "    $say"
    continue
  fi
  [ -x "$bin/${cmd[0]}" ] || { echo "demo: no program ${cmd[0]} in $bin" >&2; exit 1; }
  # The gallery's inputs are the files named before the run, its outputs
  # those that the run added.
  inputs=()
  for word in "${cmd[@]:1}"; do if [ -f "$word" ]; then inputs+=("$word"); fi; done
  before=$(named_files "${cmd[@]:1}")
  run "$log" "$bin/${cmd[0]}" "${cmd[@]:1}"
  new=$(awk 'NR == FNR { old[$0]; next } !($0 in old)' <(echo "$before") <(named_files "${cmd[@]:1}"))
  steps+="$log|${cmd[*]}|$(printf '%s ' "${inputs[@]}")|$(echo $new)"$'\n'
  if [ ${#files[@]} = 2 ]; then same "${files[0]}" "${files[1]}"; fi
  if [ -n "$pattern" ]; then
    n=$(count_in "$log" "$pattern")
    say=${say//\{count\}/$n}
    [ -n "${count_pattern[${cmd[0]}]:-}" ] || count_pattern[${cmd[0]}]=$pattern
  fi
  if [ -n "$say" ]; then echo "  $say"; fi
done 3<<<"$table"

# choquet-tool asks its criteria file on standard input, after its dialogue.
echo
echo "== choquet-tool: a 2-additive Choquet integral"
run choquet "$bin/choquet-tool" samples/choquet_coef.txt <<<samples/choquet_criteria.txt
echo "  coefficients samples/choquet_coef.txt, criteria samples/choquet_criteria.txt: $(LC_ALL=C grep -a -o 'RESULTAT = [0-9.]*' logs/choquet.log)"

# Every control file <name>.ctrl is for <name>-tool and names among its
# replies a result "<stem>_replayed.<ext>": replayed with no typing
# (standard input at its end), it must be byte-identical to "<stem>.<ext>",
# which a run above wrote with the same replies on the command line. A reply
# "<stem>_replayed" is a prefix of several results: each "<stem>_replayed_<x>"
# must match "<stem>_<x>".
echo
echo "== FICHIER mode: replaying every examples/*.ctrl (standard input at its end)"
for ctrl in "$here"/*.ctrl; do
  name=$(basename "$ctrl" .ctrl)
  tool=$name-tool
  [ -x "$bin/$tool" ] || { echo "demo: no program $tool in $bin for examples/$name.ctrl" >&2; exit 1; }
  replayed=$(awk '$1 ~ /_replayed(\.|$)/ { print $1; exit }' "$ctrl")
  [ -n "$replayed" ] || { echo "demo: examples/$name.ctrl names no *_replayed.* result" >&2; exit 1; }
  cp "$ctrl" "$name.ctrl"
  run "replay_$name" "$bin/$tool" "$name.ctrl" </dev/null
  if [[ $replayed == *_replayed ]]; then
    # A prefix of several results: each "<stem>_replayed_<x>" against "<stem>_<x>".
    auto=${replayed%_replayed}
    results=("$replayed"_*)
    [ -e "${results[0]}" ] || { echo "demo: examples/$name.ctrl wrote no ${replayed}_* result" >&2; exit 1; }
    for f in "${results[@]}"; do same "$auto${f#"$replayed"}" "$f"; done
    auto="${auto}_*"
  else
    auto=${replayed/_replayed./.}
    same "$auto" "$replayed"
  fi
  objects=""
  if [ -n "${count_pattern[$tool]:-}" ]; then
    n=$(count_in "replay_$name" "${count_pattern[$tool]}")
    objects=" (reports $n, as the AUTO run)"
  fi
  echo "  examples/$name.ctrl, $tool: $replayed$objects"
  echo "    byte-identical to the AUTO run's $auto"
done

echo
"$here/gallery.sh" "$bin" "$out" <<<"${steps%$'\n'}"
echo "demo: results are in $out (program outputs in $out/logs)"
