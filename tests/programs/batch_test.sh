#!/usr/bin/env bash
# examples/batch.sh on generated images: every result is byte-identical to a
# run of the program with the same replies on its command line, through
# either runner; a failing input is reported with its status; bad batches
# are refused before any run.
# Usage: batch_test.sh <source folder> <bin folder> <work folder>
set -u
src=$1 bin=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
export IMSUITE_BIN=$bin
fails=0
check() { if ! eval "$2"; then echo "FAILED: $1"; fails=$((fails + 1)); fi; }

# Random 8-bit (ima) and 16-bit (imw) images of 32 x 24.
mkdir in direct
for s in a b c; do
  printf '32 24' >"in/$s.dim" && cp "in/$s.dim" "in/w$s.dim"
  head -c 768 /dev/urandom >"in/$s.ima"
  head -c 1536 /dev/urandom >"in/w$s.imw"
done
printf 'in/a.ima\n\n# a comment\nin/b.ima\nin/c.ima\nin/missing.ima\n' >list.txt
printf 'in/a b.ima\n' >blank.txt

# ctrl | runner | inputs given | summary | inputs run | replies of a direct run (@ the input, = its results' stem) | results
while IFS='|' read -r name runner given summary inputs replies results; do
  BATCH_RUNNER=$runner "$src/examples/batch.sh" -j 2 "$src/examples/$name.ctrl" "out_$name" $given >"$name.log" 2>&1
  check "$name: status and summary" "[ $? = ${summary%% *} ] && grep -q '${summary#* }' $name.log"
  for input in $inputs; do
    stem=$(basename "${input%.*}") args=()
    for r in $replies; do r=${r//@/$input}; args+=("${r//=/direct/$stem}"); done
    "$bin/$name-tool" "${args[@]}" >/dev/null 2>&1
    for result in $results; do check "$name: $input $result" "cmp direct/$stem$result out_$name/$stem$result"; done
  done
done <<EOF2
mean|xargs|list.txt|1 on 4 inputs, 3 done, 1 failed|in/a.ima in/b.ima in/c.ima|@ 5 5 =.ima|.ima
contour|parallel|-- in/wa.imw in/wb.imw|0 on 2 inputs, 2 done, 0 failed|in/wa.imw in/wb.imw|@ 11 0 1 =_speckle_contours.imf =_speckle_directions.ras|_speckle_contours.imf _speckle_directions.ras
EOF2
check "mean: the missing input reported with its status" \
  "grep -q 'batch: in/missing.ima failed, status 1 (see out_mean/logs/missing.log)' mean.log"

# Refused before any run (status 2, nothing written).
while IFS='|' read -r args message; do
  out=$("$src/examples/batch.sh" $args 2>&1)
  check "refused: $args" "[ $? = 2 ] && [[ \"\$out\" == *\"$message\"* ]] && [ ! -e refused ]"
done <<EOF2
$src/examples/synthetic-image.ctrl refused -- in/a.ima|has no input record
$src/examples/mean.ctrl refused -- in/a.ima other/a.ima|would write the same results (a)
$src/examples/mean.ctrl refused blank.txt|a name with blanks does not survive a replay
-j 0 $src/examples/mean.ctrl refused -- in/a.ima|'0' is not a positive number
$src/examples/none.ctrl refused -- in/a.ima|is not a readable .ctrl file
EOF2
[ "$fails" = 0 ] && echo "batch runs: every check passed"
exit "$fails"
