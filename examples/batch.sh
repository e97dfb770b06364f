#!/usr/bin/env bash
# Batch runs: replays one .ctrl file once per input image, on every core.
#
# Usage: examples/batch.sh [-j jobs] [-p program] [-i record] [-o record]
#            <file.ctrl> <output folder> (<list file> | -- <input>...)
#
# The inputs are the lines of the list file (blank lines and lines starting
# with '#' skipped), or the names after "--". <name>.ctrl is replayed by the
# program <name>-tool, looked for in $IMSUITE_BIN, then in the build/bin
# folder beside this script, then on the PATH (-p names another program).
#
# In each run the input record of the .ctrl gets the input's name and the
# output records names in the output folder:
#   input   the first record whose reply names an image or volume file
#           (.ima .ras .imw .iml .imf .cxs .cxf .vol .lvf, any case) and is
#           not an output; -i N takes record N (counted from 1) instead;
#   outputs the records whose reply holds "_replayed" (as the demo's .ctrl
#           files name their results), else the last record whose question
#           asks for a file "a ecrire"; -o N takes record N alone instead.
# An input <folder>/<stem>.<ext> gives <output folder>/<stem>.<ext of the
# recorded output> for a single output record, and <output folder>/<stem>_<the
# recorded name without its folder and "_replayed"> for each of several.
# Every run replays its own .ctrl (<output folder>/ctrl/<stem>.ctrl, kept
# to replay that run again) with standard input at its end, its output in
# <output folder>/logs/<stem>.log. Runs go on GNU parallel when it is
# installed, else on xargs -P (BATCH_RUNNER=xargs forces xargs).
#
# Refused before any run, status 2: a bad command line, an unreadable .ctrl
# or list, a .ctrl without input or output record, inputs with blanks or
# with the same stem. Afterwards every failed run is reported with its
# status; the exit status is 1 when any run failed, 0 otherwise.
set -euo pipefail

usage() {
  echo "usage: $0 [-j jobs] [-p program] [-i record] [-o record] <file.ctrl> <output folder> (<list file> | -- <input>...)" >&2
  exit 2
}
refuse() { echo "batch: $*" >&2; exit 2; }

jobs=$(nproc 2>/dev/null || echo 2) program="" in_record="" out_record=""
while getopts "j:p:i:o:" option; do
  case $option in
    j) jobs=$OPTARG ;;
    p) program=$OPTARG ;;
    i) in_record=$OPTARG ;;
    o) out_record=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 3 ] || usage
ctrl=$1 outdir=$2
shift 2
for n in "$jobs" "$in_record" "$out_record"; do
  [[ -z $n || $n =~ ^[1-9][0-9]*$ ]] || refuse "'$n' is not a positive number"
done
[[ $ctrl == *.ctrl && -f $ctrl && -r $ctrl ]] || refuse "$ctrl is not a readable .ctrl file"
[[ $outdir != *[[:space:]]* ]] || refuse "'$outdir': a name with blanks does not survive a replay"

inputs=()
if [ "$1" = -- ]; then
  shift
  inputs=("$@")
else
  [ $# = 1 ] && [ -f "$1" ] && [ -r "$1" ] || refuse "$1 is not a readable list of inputs"
  while IFS= read -r line || [ -n "$line" ]; do
    [[ -z ${line//[[:space:]]/} || $line == "#"* ]] || inputs+=("$line")
  done <"$1"
fi
[ ${#inputs[@]} -gt 0 ] || refuse "no input"

# The records: replies (first field) and questions, numbered from 1.
mapfile -t replies < <(awk -F'\t' '{ print $1 }' "$ctrl")
mapfile -t questions < <(awk -F'#' '{ sub(/^[^#]*#/, ""); print }' "$ctrl")
outputs=()
if [ -n "$out_record" ]; then
  [ "$out_record" -le ${#replies[@]} ] || refuse "$ctrl has no record $out_record"
  outputs=("$out_record")
else
  for k in "${!replies[@]}"; do if [[ ${replies[k]} == *_replayed* ]]; then outputs+=($((k + 1))); fi; done
  if [ ${#outputs[@]} = 0 ]; then
    for k in "${!questions[@]}"; do if [[ ${questions[k]} == *"a ecrire"* ]]; then outputs=($((k + 1))); fi; done
  fi
fi
[ ${#outputs[@]} -gt 0 ] || refuse "$ctrl has no output record (no reply with _replayed, no question 'a ecrire'): use -o"
if [ -z "$in_record" ]; then
  for k in "${!replies[@]}"; do
    [[ " ${outputs[*]} " == *" $((k + 1)) "* ]] && continue
    shopt -s nocasematch
    if [[ ${replies[k]} =~ \.(ima|ras|imw|iml|imf|cxs|cxf|vol|lvf)$ ]]; then in_record=$((k + 1)); fi
    shopt -u nocasematch
    [ -n "$in_record" ] && break
  done
fi
[ -n "$in_record" ] && [ "$in_record" -le ${#replies[@]} ] || refuse "$ctrl has no input record (no reply naming an image or volume): use -i"
[[ " ${outputs[*]} " != *" $in_record "* ]] || refuse "record $in_record of $ctrl cannot be both the input and an output"

# The program.
if [ -z "$program" ]; then
  program=$(basename "$ctrl" .ctrl)-tool
  here=$(cd "$(dirname "$0")" && pwd)
  for folder in "${IMSUITE_BIN:-}" "$here/../build/bin"; do
    if [ -n "$folder" ] && [ -x "$folder/$program" ]; then program=$folder/$program && break; fi
  done
fi
if [[ $program != */* ]]; then
  program=$(command -v "$program") || refuse "no program $(basename "$ctrl" .ctrl)-tool for $ctrl (set IMSUITE_BIN or use -p)"
fi
[ -x "$program" ] || refuse "$program is not a program"
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")

# The stems of the inputs' results, all different.
declare -A seen
stems=()
for input in "${inputs[@]}"; do
  [[ $input != *[[:space:]]* ]] || refuse "'$input': a name with blanks does not survive a replay"
  stem=$(basename "$input")
  stem=${stem%.*}
  [ -z "${seen[$stem]:-}" ] || refuse "$input and ${seen[$stem]} would write the same results ($stem)"
  seen[$stem]=$input
  stems+=("$stem")
done

# One .ctrl per input.
mkdir -p "$outdir/ctrl" "$outdir/logs"
for k in "${!inputs[@]}"; do
  input=${inputs[k]} stem=${stems[k]} names=()
  for record in "${outputs[@]}"; do
    recorded=${replies[record - 1]}
    if [ ${#outputs[@]} = 1 ]; then
      base=$(basename "$recorded")
      case $base in *.*) names+=("$outdir/$stem.${base##*.}") ;; *) names+=("$outdir/$stem") ;; esac
    else
      base=$(basename "$recorded")
      names+=("$outdir/${stem}_${base/_replayed/}")
    fi
  done
  NAMES="${names[*]}" INPUT=$input awk -F'\t' -v in_record="$in_record" -v records="${outputs[*]}" '
    BEGIN { n = split(records, r, " "); split(ENVIRON["NAMES"], name, " "); for (i = 1; i <= n; i++) out[r[i]] = name[i] }
    NR == in_record { sub(/^[^\t]*/, ENVIRON["INPUT"]) }
    NR in out { sub(/^[^\t]*/, out[NR]) }
    { print }' "$ctrl" >"$outdir/ctrl/$stem.ctrl"
  rm -f "$outdir/logs/$stem.status"
done

# The runs: each writes its log and its status.
worker='"$0" "$1/ctrl/$2.ctrl" </dev/null >"$1/logs/$2.log" 2>&1; echo $? >"$1/logs/$2.status"'
if [ "${BATCH_RUNNER:-}" != xargs ] && command -v parallel >/dev/null && parallel --version 2>/dev/null | grep -q GNU; then
  printf '%s\n' "${stems[@]}" | parallel --will-cite -q -j "$jobs" bash -c "$worker" "$program" "$outdir" {}
else
  printf '%s\0' "${stems[@]}" | xargs -0 -n 1 -P "$jobs" bash -c "$worker" "$program" "$outdir"
fi

failed=0
for k in "${!stems[@]}"; do
  status=$(cat "$outdir/logs/${stems[k]}.status" 2>/dev/null || echo "?")
  if [ "$status" != 0 ]; then
    echo "batch: ${inputs[k]} failed, status $status (see $outdir/logs/${stems[k]}.log)" >&2
    failed=$((failed + 1))
  fi
done
echo "batch: $(basename "$program") on ${#stems[@]} inputs, $((${#stems[@]} - failed)) done, $failed failed; results in $outdir"
[ "$failed" = 0 ]
