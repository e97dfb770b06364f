#!/usr/bin/env bash
# Every program has a manual page and every page is for a program: each
# man/<program>.1 renders without any warning or error, has the sections a
# user looks for, refers only to pages that exist, and names a program that
# the build made. Usage: man_test.sh <source folder> <folder of the programs>
set -u
pages="$1/man"
bin="$2"
status=0
fail() { echo "man_test: $*" >&2; status=1; }

command -v groff >/dev/null || { echo "man_test: groff is missing" >&2; exit 1; }
[ -d "$bin" ] || { echo "man_test: no folder of programs $bin" >&2; exit 1; }

for program in "$bin"/*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  name=$(basename "$program")
  [ -f "$pages/$name.1" ] || fail "$name has no manual page $pages/$name.1"
done

for page in "$pages"/*.1; do
  [ -e "$page" ] || { fail "no page in $pages"; break; }
  name=$(basename "$page" .1)
  [ -x "$bin/$name" ] || fail "$name.1 names no program in $bin"
  # -ww: every warning; -z: format without output. Anything printed is a fault,
  # on a UTF-8 terminal and on a plain ASCII one (where the page's stand-ins
  # replace the characters it cannot show).
  for device in utf8 ascii; do
    out=$(LC_ALL=C groff -man -T$device -ww -z "$page" 2>&1)
    [ -z "$out" ] || fail "$name.1 does not render cleanly on $device: $out"
  done
  grep -q "^\.TH ${name^^} 1 " "$page" || fail "$name.1: no '.TH ${name^^} 1' title"
  grep -q "^${name//-/\\\\-} \\\\- " "$page" || fail "$name.1: the NAME line does not name $name"
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" EXAMPLE "SEE ALSO"; do
    grep -q "^\.SH \"\?$section\"\?\$" "$page" || fail "$name.1 has no section $section"
  done
  while IFS= read -r other; do
    [ -f "$pages/$other.1" ] || fail "$name.1 refers to $other(1), which has no page"
  done < <(sed -n 's/^\.BR \([^ ]*\) (1).*/\1/p' "$page" | sed 's/\\-/-/g')
done
exit $status
