#!/bin/sh
# What wrestool and icotool, tools nobody here wrote, say of a module's icon
# groups: one line per image, "<group> <width> <height> <bit depth>", where
# <group> is the numeric identifier or the name as wrestool writes it.
#   icotool_reference.sh MODULE OUTPUT
set -eu
module="$1"
out="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wrestool -x -t14 -o "$work" "$module"
base=$(basename "$module")
: >"$out.tmp"
for file in "$work"/*.ico; do
  name=$(basename "$file" .ico)
  name=${name#"${base}_14_"}
  name=${name%_*}  # the language
  icotool -l "$file" | sed -n "s/.*--width=\([0-9]*\) --height=\([0-9]*\) --bit-depth=\([0-9]*\).*/$name \1 \2 \3/p" >>"$out.tmp"
done
mv "$out.tmp" "$out"
