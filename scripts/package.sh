#!/usr/bin/env bash
# Builds, after the normal build, what a release hands to Windows users, in
# FOLDER (build/dist by default):
#   Zindle-VERSION-x64.msi  per-machine Windows Installer package, 64-bit Windows
#   Zindle-VERSION-x86.msi  the same with the 32-bit program
#   Zindle-VERSION.zip      both programs (x64/, x86/) and ReadMe.txt, to install by hand
#   SHA256SUMS              of those three
#   winget/manifests/...    the winget manifest of the two packages
# usage: scripts/package.sh [FOLDER]
# FOLDER is made, or it is empty, or it holds an earlier release of this
# script's and nothing else: that release is replaced. A folder that holds
# anything else is refused, and nothing in it is touched.
# Environment:
#   ZINDLE_SIGN_PFX        a code-signing certificate with its key (PKCS#12): both
#                          programs and both packages are signed with it (Authenticode,
#                          SHA-256); without it the release is unsigned
#   ZINDLE_SIGN_PASSWORD   the certificate's password
#   ZINDLE_SIGN_TIMESTAMP  a time-stamp server (RFC 3161) that counter-signs each signature
#   ZINDLE_RELEASE_URL     the web folder the packages are published in, for the manifest
#   SOURCE_DATE_EPOCH      the time every file of the release carries (the last commit's)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=$(sed -n 's/^project(Zindle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
dist=${1:-build/dist}

# The entries of an earlier release in the folder, one a line: its SHA256SUMS,
# the packages and the zip that it lists, and the winget manifests. When the
# folder holds anything else, fails with that entry's name as the last line.
earlier_release() {  # folder
  local folder=$1 entry name listed=()
  [ -f "$folder/SHA256SUMS" ] && mapfile -t listed < <(awk '$2 ~ /^Zindle-[0-9.]*(-x64\.msi|-x86\.msi|\.zip)$/ { print $2 }' "$folder/SHA256SUMS")
  for entry in "$folder"/* "$folder"/.[!.]* "$folder"/..?*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    name=${entry##*/}
    if [ "$name" = SHA256SUMS ] && [ -f "$entry" ]; then :
    elif [ "$name" = winget ] && [ -d "$entry" ] && [ ! -L "$entry" ] &&
         [ -z "$(find "$entry" -mindepth 1 ! -type d ! -path "$entry/manifests/k/Korvane/Zindle/*/Korvane.Zindle*.yaml" -print -quit)" ] &&
         [ -z "$(find "$entry" -mindepth 1 -type d ! -path "$entry/manifests" ! -path "$entry/manifests/k" \
                  ! -path "$entry/manifests/k/Korvane" ! -path "$entry/manifests/k/Korvane/Zindle" \
                  ! -path "$entry/manifests/k/Korvane/Zindle/*" -print -quit)" ]; then :
    elif [ -f "$entry" ] && [ ! -L "$entry" ] && grep -qxF -- "$name" <<<"$(printf '%s\n' "${listed[@]}")"; then :
    else
      echo "$name"
      return 1
    fi
    echo "$entry"
  done
}
earlier=
if [ -e "$dist" ] || [ -L "$dist" ]; then
  if [ ! -d "$dist" ] || [ -L "$dist" ]; then
    echo "package.sh: $dist is not a folder; nothing was changed." >&2
    exit 1
  fi
  if ! earlier=$(earlier_release "$dist"); then
    echo "package.sh: $dist holds '${earlier##*$'\n'}', which is not part of a release of Zindle!;" \
      "nothing was changed. Name a new or empty folder, or one that holds only an earlier release." >&2
    exit 1
  fi
fi

./scripts/setup.sh
./scripts/build.sh --program win64 win32
url=${ZINDLE_RELEASE_URL:-https://www.korvane.example/zindle/download}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/x64" "$stage/x86"
cp "build/win64/Zindle!.scr" "$stage/x64/"
cp "build/win32/Zindle!.scr" "$stage/x86/"

# Signs a program or package in place: Authenticode with SHA-256, and for a
# package also the stream that covers its summary and storage (MsiDigitalSignatureEx).
sign() {  # file, extra osslsigncode options...
  local file=$1; shift
  local options=(-pkcs12 "$ZINDLE_SIGN_PFX" -h sha256 -n "Zindle!" -i "http://www.korvane.example/zindle/")
  [ -z "${ZINDLE_SIGN_PASSWORD:-}" ] || options+=(-readpass "$stage/password")
  [ -z "${ZINDLE_SIGN_TIMESTAMP:-}" ] || options+=(-ts "$ZINDLE_SIGN_TIMESTAMP")
  osslsigncode sign "${options[@]}" "$@" -in "$file" -out "$file.signed" >"$stage/sign.log" 2>&1 ||
    { cat "$stage/sign.log" >&2; echo "package.sh: signing $file failed" >&2; return 1; }
  mv "$file.signed" "$file"
}
if [ -n "${ZINDLE_SIGN_PFX:-}" ]; then
  [ -f "$ZINDLE_SIGN_PFX" ] || { echo "package.sh: no certificate $ZINDLE_SIGN_PFX" >&2; exit 1; }
  # The password goes to osslsigncode in a file, not on its command line.
  (umask 077 && printf '%s' "${ZINDLE_SIGN_PASSWORD:-}" >"$stage/password")
  echo "Signing with $ZINDLE_SIGN_PFX${ZINDLE_SIGN_TIMESTAMP:+, time-stamped by $ZINDLE_SIGN_TIMESTAMP}"
  sign "$stage/x64/Zindle!.scr"
  sign "$stage/x86/Zindle!.scr"
else
  echo "No certificate in ZINDLE_SIGN_PFX: the programs and packages are unsigned"
fi
# Only once the programs are signed: a wrong password leaves no half-made
# release. Of the folder only the earlier release goes.
[ -z "$earlier" ] || while read -r entry; do rm -rf -- "$entry"; done <<<"$earlier"
mkdir -p "$dist"
dist=$(realpath "$dist")

for arch in x64 x86; do
  scr=$stage/$arch/Zindle!.scr
  read -r file_version _ < <(python3 packaging/file-version.py "$scr")
  if [ "$file_version" != "$version.0" ]; then
    echo "package.sh: $scr says version $file_version, the release is $version" >&2
    exit 1
  fi
  packaging/build-msi.sh "$arch" "$version" "$scr" "$dist/Zindle-$version-$arch.msi"
  [ -z "${ZINDLE_SIGN_PFX:-}" ] || sign "$dist/Zindle-$version-$arch.msi" -add-msi-dse
done

packaging/build-zip.sh "$version" "$stage/x64/Zindle!.scr" "$stage/x86/Zindle!.scr" "$dist/Zindle-$version.zip"

(cd "$dist" && sha256sum "Zindle-$version-x64.msi" "Zindle-$version-x86.msi" "Zindle-$version.zip" >SHA256SUMS)
manifest=$(python3 packaging/winget-manifest.py "$version" "$dist/winget" "$url" \
  "$dist/Zindle-$version-x64.msi" "$dist/Zindle-$version-x86.msi")
echo "Packages of Zindle! $version in $dist:"
ls -l "$dist" | tail -n +2
echo "winget manifest in ${manifest#"$root/"}"
