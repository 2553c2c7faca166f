#!/usr/bin/env bash
# Builds, after the normal build, what a release hands to Windows users, in
# build/dist:
#   Zindle-VERSION-x64.msi  per-machine Windows Installer package, 64-bit Windows
#   Zindle-VERSION-x86.msi  the same with the 32-bit program
#   Zindle-VERSION.zip      both programs (x64/, x86/) and ReadMe.txt, to install by hand
#   SHA256SUMS              of those three
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
./scripts/build.sh win64 win32

version=$(sed -n 's/^project(Zindle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
dist=build/dist
stage=build/package
rm -rf "$dist" "$stage"
mkdir -p "$dist" "$stage/x64" "$stage/x86"
cp "build/win64/Zindle!.scr" "$stage/x64/"
cp "build/win32/Zindle!.scr" "$stage/x86/"

for arch in x64 x86; do
  scr=$stage/$arch/Zindle!.scr
  read -r file_version _ < <(python3 packaging/file-version.py "$scr")
  if [ "$file_version" != "$version.0" ]; then
    echo "package.sh: $scr says version $file_version, the release is $version" >&2
    exit 1
  fi
  packaging/build-msi.sh "$arch" "$version" "$scr" "$dist/Zindle-$version-$arch.msi"
done

# Windows users read the text in Notepad: CRLF line ends.
sed "s/@VERSION@/$version/g; s/\$/\r/" packaging/ReadMe.txt >"$stage/ReadMe.txt"
# The same sources give the same archive: every entry carries the time of the
# last commit, and no folder entries or Unix extras.
export TZ=UTC
stamp=$(git log -1 --format=%cd --date=format-local:%Y%m%d%H%M.%S 2>/dev/null || date +%Y%m%d%H%M.%S)
find "$stage" -exec touch -t "$stamp" {} +
(cd "$stage" && zip -q -X -D "$root/$dist/Zindle-$version.zip" ReadMe.txt "x64/Zindle!.scr" "x86/Zindle!.scr")

(cd "$dist" && sha256sum "Zindle-$version-x64.msi" "Zindle-$version-x86.msi" "Zindle-$version.zip" >SHA256SUMS)
echo "Packages of Zindle! $version in $dist:"
ls -l "$dist" | tail -n +2
