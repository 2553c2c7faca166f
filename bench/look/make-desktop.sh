#!/usr/bin/env bash
# A desktop as a user leaves it: a photo wallpaper from Debian's MATE
# backgrounds, a few windows with text, desktop icons and a task bar.
# usage: make-desktop.sh OUT.ppm [WIDTHxHEIGHT]   (default 1920x1080)
set -euo pipefail
out=$1
size=${2:-1920x1080}
width=${size%x*}
height=${size#*x}
photo=/usr/share/backgrounds/mate/nature/Garden.jpg
font=DejaVu-Sans
mono=DejaVu-Sans-Mono
# Positions are given for 1920 x 1080 and scaled to the size asked for.
s() { echo $(($1 * width / 1920)); }
t() { echo $(($1 * height / 1080)); }
args=()

window() {  # left top width height title
  local l=$(s $1) tp=$(t $2) r=$(s $(($1 + $3))) b=$(t $(($2 + $4))) bar=$(t $(($2 + 30)))
  args+=(-fill "#f0f0f0" -stroke "#808080" -draw "rectangle $l,$tp $r,$b")
  args+=(-fill "#1c5ea8" -stroke none -draw "rectangle $l,$tp $r,$bar")
  args+=(-fill white -font $font -pointsize $(t 15) -draw "text $((l + $(s 10))),$((tp + $(t 6))) '$5'")
  args+=(-fill "#c84040" -draw "rectangle $((r - $(s 26))),$((tp + $(t 6))) $((r - $(s 8))),$((bar - $(t 6)))")
}
text_lines() {  # left top lines...
  local l=$1 y=$2
  shift 2
  for line in "$@"; do
    args+=(-fill "#202020" -font $mono -pointsize $(t 14) -draw "text $(s $l),$(t $y) '$line'")
    y=$((y + 20))
  done
}
icon() {  # left top label colour (text positions are top-left with this gravity)
  local l=$(s $1) tp=$(t $2)
  args+=(-fill "$4" -stroke white -draw "roundrectangle $l,$tp $((l + $(s 48))),$((tp + $(t 48))) 6,6")
  args+=(-stroke none -fill white -font $font -pointsize $(t 13) -draw "text $((l - $(s 4))),$((tp + $(t 52))) '$3'")
}

icon 30 24 "Computer" "#3a7bd5"
icon 30 124 "Documents" "#e0a030"
icon 30 224 "Recycle" "#5a9a5a"
window 180 90 820 520 "Report - Notes"
text_lines 200 160 "Quarterly figures, draft 3" "" "Revenue     1,204,300" "Costs         877,150" \
  "Margin        327,150" "" "- check the December invoices" "- ask about the new office lease" \
  "- screen saver for the lobby display" "" "The quick brown fox jumps over the lazy dog." \
  "PACK MY BOX WITH FIVE DOZEN LIQUOR JUGS 0123456789"
window 1080 300 700 420 "Calculator"
text_lines 1110 380 "  7   8   9   /" "" "  4   5   6   *" "" "  1   2   3   -" "" "  0   .   =   +"
args+=(-fill "#202830" -stroke none -draw "rectangle 0,$(t 1040) $width,$height")
args+=(-fill "#3a7bd5" -draw "rectangle $(s 8),$(t 1046) $(s 100),$(t 1074)")
args+=(-fill white -font $font -pointsize $(t 15) -draw "text $(s 24),$(t 1050) 'Start'")
args+=(-draw "text $(s 1800),$(t 1050) '14:32'")

convert "$photo" -resize "${width}x${height}^" -gravity center -extent "${width}x${height}" -gravity northwest \
  "${args[@]}" -depth 8 "ppm:$out"
