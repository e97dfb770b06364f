#!/usr/bin/env bash
# Every quoted #include of a layer names a header of that layer or of a layer
# below it: framework -> io -> operators -> app -> programs. Usage:
# layers_test.sh <source folder>
set -u
cd "$1" || exit 2

# The layer (0 framework ... 4 programs) of the folder holding a header.
layer_of_dir() {
  case "$1" in
    framework*) echo 0 ;;
    io*) echo 1 ;;
    operators/*) echo 2 ;;
    app*) echo 3 ;;
    programs/*) echo 4 ;;
    *) echo 9 ;;
  esac
}

# Where each header lives (a header's name is unique in the tree).
declare -A home
while IFS= read -r header; do
  home[$(basename "$header")]=$(dirname "$header")
done < <(find framework io operators app programs -name '*.h' -o -name '*.hpp')

status=0
while IFS= read -r source; do
  own=$(layer_of_dir "$(dirname "$source")")
  while IFS= read -r included; do
    dir=${home[$included]:-}
    [ -n "$dir" ] || continue  # a system or test header
    theirs=$(layer_of_dir "$dir")
    if [ "$theirs" -gt "$own" ]; then
      echo "$source includes $included from $dir, a higher layer"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$source" | xargs -r -n1 basename)
done < <(find framework io operators app programs -name '*.c' -o -name '*.cpp' -o -name '*.h' -o -name '*.hpp')
exit $status
