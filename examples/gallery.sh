#!/usr/bin/env bash
# The demo's picture gallery: writes index.html in the demo's output folder,
# one entry per step of the showcase with its command line, the .ctrl that
# replays it when the demo replayed one with the same replies, and its input
# and output images side by side as PNG pictures (gallery/<file>.png, made
# by png-export-tool). Files that are not images or volumes (text, learning
# sets) are named without a picture; a file that several steps use is
# exported once, as the demo left it.
# Usage: examples/gallery.sh <bin folder> <out folder> < steps
# Each line of the steps is "== title" (a section) or
#   log | command line | input files | output files
# with the files blank-separated and relative to the out folder.
set -euo pipefail

bin=$(cd "$1" && pwd)
cd "$2"
rm -rf gallery
mkdir -p gallery logs
: >logs/gallery.log

escape() { local s=${1//&/&amp;}; s=${s//</&lt;}; s=${s//>/&gt;}; echo "${s//\"/&quot;}"; }

declare -A picture  # file -> its picture, or empty when there is none
pictures=0
# Exports a file once; its picture is then ${picture[file]}.
export_file() {
  local file=$1
  [ -n "${picture[$file]+set}" ] && return
  picture[$file]=""
  case ${file##*.} in
    ima | ras | imw | IMW | iml | IML | imf | IMF | cxs | CXS | cxf | CXF | vol | VOL | lvf | LVF) ;;
    *) return ;;
  esac
  local png=gallery/$file.png
  mkdir -p "$(dirname "$png")"
  if "$bin/png-export-tool" "$file" "$png" >>logs/gallery.log 2>&1; then
    picture[$file]=$png
    pictures=$((pictures + 1))
  else
    echo "gallery: no picture of $file (see logs/gallery.log)" >&2
  fi
}

# The figures of a list of files, under a heading.
figures() {
  local heading=$1 file
  shift
  echo "<div class=\"side\"><h4>$heading</h4>"
  if [ $# = 0 ]; then echo "<p>no file: see the output of the program</p>"; fi
  for file in "$@"; do
    export_file "$file"
    if [ -n "${picture[$file]}" ]; then
      echo "<figure><a href=\"$(escape "${picture[$file]}")\"><img src=\"$(escape "${picture[$file]}")\" alt=\"$(escape "$file")\"></a><figcaption>$(escape "$file")</figcaption></figure>"
    else
      echo "<figure class=\"text\"><figcaption>$(escape "$file")</figcaption></figure>"
    fi
  done
  echo "</div>"
}

# The .ctrl the demo replayed for a program with the same replies as a
# command line (its results named *_replayed), if any.
ctrl_of() {
  local ctrl=${1%-tool}.ctrl
  shift
  [ -f "$ctrl" ] || return 0
  if [ "$(awk '{ sub(/_replayed/, "", $1); printf "%s ", $1 }' "$ctrl")" = "$* " ]; then echo "$ctrl"; fi
}

trim() { local s=$1; s=${s#"${s%%[![:space:]]*}"}; echo "${s%"${s##*[![:space:]]}"}"; }

{
  cat <<'HEAD'
<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Image operator suite: the demo</title>
<style>
body { font-family: sans-serif; margin: 1em 2em; background: #fafafa; }
section.step { border-top: 1px solid #ccc; padding: 0.5em 0; }
pre { background: #eee; padding: 0.4em; white-space: pre-wrap; }
.sides { display: flex; gap: 2em; flex-wrap: wrap; }
.side { display: flex; gap: 0.8em; flex-wrap: wrap; align-items: flex-end; }
.side h4 { width: 100%; margin: 0.2em 0; }
figure { margin: 0; text-align: center; }
img { min-width: 96px; max-width: 320px; image-rendering: pixelated; border: 1px solid #999; }
figcaption { font-size: small; }
</style></head><body>
<h1>Image operator suite: the demo</h1>
<p>Each step of <code>make demo</code>: its command line, its input and output images (8-bit images in grey or
through their colour table, 24-bit images in colour, the other types scaled from their smallest to their largest
value, volumes as their middle plane). Program outputs are in <a href="logs/">logs/</a>.</p>
HEAD
  while IFS='|' read -r log command inputs outputs; do
    log=$(trim "$log")
    if [[ $log == "== "* ]]; then
      echo "<h2>$(escape "${log#== }")</h2>"
      continue
    fi
    read -r -a cmd <<<"$command"
    read -r -a ins <<<"$inputs"
    read -r -a outs <<<"$outputs"
    echo "<section class=\"step\"><pre>$(escape "${cmd[*]}")</pre>"
    ctrl=$(ctrl_of "${cmd[@]}")
    if [ -n "$ctrl" ]; then echo "<p>Replayed by <a href=\"$(escape "$ctrl")\">$(escape "$ctrl")</a>: <code>${cmd[0]} $(escape "$ctrl")</code></p>"; fi
    echo "<div class=\"sides\">"
    figures inputs "${ins[@]}"
    figures outputs "${outs[@]}"
    echo "</div><p><a href=\"logs/$(escape "$log").log\">output of the program</a></p></section>"
  done
  echo "</body></html>"
} >index.html.tmp
mv index.html.tmp index.html
echo "gallery: $(pwd)/index.html, $pictures pictures"
