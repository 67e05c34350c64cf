#!/bin/sh
# Draws every picture with artgen into a scratch folder and makes contact
# sheets of them (ImageMagick montage), scaled up, on a checkered grey so
# transparency shows. Floors are shown tiled 3 x 3 to check their seams.
#
#   content_src/art/contact_sheet.sh ARTGEN OUTDIR [PATTERN]
# writes OUTDIR/sheet_<group>.png for each group of pictures (PATTERN, a
# shell pattern on the file names, limits the pictures, default all).
set -eu
artgen=$1
out=$2
pattern=${3:-*}
tree=$out/tree
rm -rf "$tree"
mkdir -p "$tree"
rm -f "$out"/sheet_*.png
"$artgen" "$tree"
cd "$tree/gfx"
sheet() {  # name, tile geometry, files...
  name=$1; geo=$2; shift 2
  [ $# -gt 0 ] || return 0
  montage -background '#808890' -fill white -pointsize 10 -label '%t' "$@" \
    -filter point -geometry "$geo" -tile 8x "$out/sheet_$name.png"
}
floors=$(ls $pattern.png | grep -E '^(grass|snow|verge|pavement|kerb_|road|zebra|water|bank|home|stone|sand|dock|mud|ice|wall_)' || true)
mkdir -p "$out/tiled"
for f in $floors; do
  montage "$f" "$f" "$f" "$f" "$f" "$f" "$f" "$f" "$f" -tile 3x3 -geometry +0+0 "$out/tiled/$f"
done
[ -z "$floors" ] || (cd "$out/tiled" && sheet floors 192x192+4+4 $floors)
sprites=$(ls $pattern.png | grep -vE '^(grass|snow|verge|pavement|kerb_|road|zebra|water|bank|home|stone|sand|dock|mud|ice|wall_|bg_|splash\.png)' || true)
for group in frog idle drown car truck bus tractor log turtles bonus timeup life invincible squashed; do
  files=$(echo "$sprites" | grep -E "^$group" || true)
  # shellcheck disable=SC2086
  [ -z "$files" ] || sheet "$group" '192x192+4+4' $files
done
rest=$(echo "$sprites" | grep -vE '^(frog|idle|drown|car|truck|bus|tractor|log|turtles|bonus|timeup|life|invincible|squashed)' || true)
# shellcheck disable=SC2086
[ -z "$rest" ] || sheet scenery '192x192+4+4' $rest
bgs=$(ls $pattern.png | grep -E '^(bg_|splash\.png)' || true)
# shellcheck disable=SC2086
[ -z "$bgs" ] || montage -background '#808890' -label '%t' $bgs -geometry 320x240+4+4 -tile 3x "$out/sheet_backgrounds.png"
ls "$out"/sheet_*.png
