#!/usr/bin/env bash
# Builds the zip of Zindle! for installing by hand: ReadMe.txt, x64/Zindle!.scr
# and x86/Zindle!.scr.
# usage: packaging/build-zip.sh VERSION X64.scr X86.scr OUTPUT.zip
# The same inputs give the same bytes, whoever builds it: every entry carries
# SOURCE_DATE_EPOCH (by default the time of the last commit) and the mode
# 0644, not the builder's umask, and there are no folder entries or Unix extras.
set -euo pipefail
version=$1 x64=$2 x86=$3 out=$4
root=$(cd "$(dirname "$0")/.." && pwd)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/x64" "$stage/x86"
cp "$x64" "$stage/x64/Zindle!.scr"
cp "$x86" "$stage/x86/Zindle!.scr"
# Windows users read the text in Notepad: CRLF line ends.
sed "s/@VERSION@/$version/g; s/\$/\r/" "$root/packaging/ReadMe.txt" >"$stage/ReadMe.txt"
chmod 0644 "$stage/ReadMe.txt" "$stage/x64/Zindle!.scr" "$stage/x86/Zindle!.scr"
find "$stage" -exec env TZ=UTC touch -d "@$epoch" {} +
out=$(realpath -m "$out")
rm -f "$out"
(cd "$stage" && TZ=UTC zip -q -X -D "$out" ReadMe.txt "x64/Zindle!.scr" "x86/Zindle!.scr")
