#!/bin/sh
# Runs the program built over a filled-in skeleton on an image made by
# synthetic-image-tool and checks its thresholded pixels.
# Usage: run_test.sh <synthetic-image-tool> <skeleton program> <work folder>
set -eu
synthetic=$1 program=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
printf '2\n0 0 1 0 99\n2 0 3 0 100\n' >objects.txt
"$synthetic" 4 1 in.ima 7 objects.txt >/dev/null
"$program" in.ima 100 out.ima >log.txt
grep -q '>> seuillage : seuil (entier) = 100' log.txt || { echo "question not asked"; cat log.txt; exit 1; }
got=$(od -An -tu1 out.ima | tr -s ' ' | sed 's/^ //;s/ $//')
[ "$got" = "0 0 255 255" ] || { echo "pixels: '$got' instead of '0 0 255 255'"; exit 1; }
echo "skeleton program: $got"
