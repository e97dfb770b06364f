#!/bin/sh
# Fills in a generated operator skeleton the way a developer would: a
# threshold "seuil" with one field, an 8-bit input and output for init and
# calc, and the bodies of the four phases.
# Usage: fill.sh <generated lseuil.c> <generated seuil.h> <out folder>
set -eu
out=$3
mkdir -p "$out"

# The parameter lists: "desc,  " followed by a blank line takes the images;
# followed by the closing parenthesis (ferm) it loses its comma.
params='
/_t \*desc,  $/ {
  line = $0
  if ((getline next_line) <= 0) { print line; exit }
  if (next_line ~ /^[ \t]*$/) { print line; print "imau1 in, imau1 *out" }
  else if (next_line ~ /^[ \t]*\);?$/) { sub(/,  $/, "", line); print line; print next_line }
  else { print line; print next_line }
  next
}
{ print }'

awk "$params" "$2" |
  awk '{ print } /champ 1 : / { print "int seuil;" }' >"$out/seuil.h"

awk "$params" "$1" | awk '
/^#include <stdlib.h>$/ { print; print "#include <stdio.h>"; next }
/^return ptp;$/ {
  print "snprintf(question, sizeof question, \"%s seuil (entier)\", debq);"
  print "lec_param(question, ptp);"
  print "desc->seuil = (int)strtol(ptp->rep, NULL, 10);"
  print "return ptp->suiv;"
  next
}
/^return NO_ERROR;$/ {
  phase++
  if (phase == 1) print "(void)desc; out->nc = in.nc; out->nr = in.nr; alloc_imau1(out);"
  if (phase == 2) print "{ long i, n = (long)in.nc * in.nr; for (i = 0; i < n; i++) out->pixels[0][i] = in.pixels[0][i] >= desc->seuil ? 255 : 0; }"
  if (phase == 3) print "(void)desc;"
}
{ print }' >"$out/lseuil.c"
