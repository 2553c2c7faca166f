#!/usr/bin/env bash
# Builds the look tool, makes the photo desktop, runs the distortion at
# several paces and assembles the filmstrips of the chosen paces as small
# JPEGs in docs/look/. The figures go to build/look/figures.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
./scripts/setup.sh
cmake -S . -B build/bench-native -DZINDLE_BENCH=ON >/dev/null
cmake --build build/bench-native --target zindle_look >/dev/null
look=build/bench-native/bench/zindle_look
frames=build/look/frames
mkdir -p "$frames" build/look/full docs/look
bench/look/make-desktop.sh build/look/desktop.ppm 1920x1080
{
  $look build/look/desktop.ppm "$frames" --scale 5 --paces 100,250,500,1000,2500,5000
  echo
  $look build/look/desktop.ppm "$frames" --preview --paces 10,25,50,100,250
} | tee build/look/figures.txt

saver=${SAVER_PACE:-250}
preview=${PREVIEW_PACE:-25}
strip() {  # name pattern
  local frames_of=("$frames/$2"-t*.ppm)
  convert "${frames_of[@]}" -bordercolor white -border 2 +append -quality 80 "docs/look/$1.jpg"
}
strip saver-defaults "saver-defaults-p$(printf %05d "$saver")"
strip saver-amplitudes10 "saver-amplitudes10-p$(printf %05d "$saver")"
strip preview-defaults "preview-defaults-p$(printf %05d "$preview")"
strip preview-amplitudes10 "preview-amplitudes10-p$(printf %05d "$preview")"
# The text of a window up close, at full size, at 0, 10 and 60 seconds.
$look build/look/desktop.ppm build/look/full --paces "$saver" >/dev/null
p=$(printf %05d "$saver")
convert build/look/full/saver-defaults-p$p-t{000,010,060}.ppm -crop 520x260+170+80 +repage \
  -bordercolor white -border 2 +append -quality 85 docs/look/saver-text-closeup.jpg
ls -l docs/look
