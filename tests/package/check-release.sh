#!/usr/bin/env bash
# Checks what makes the release one to trust, after scripts/package.sh made
# build/dist:
#  - the same sources, copied to another folder and built there again (the
#    zip by a builder of umask 077), give byte-identical programs, packages
#    and zip;
#  - a release signed with a throw-away code-signing certificate
#    (build/release-signed) verifies against it, and a changed byte breaks it;
#    its programs are the build with a signature added; it is time-stamped
#    only when a time-stamp server is named (one of its own, on 127.0.0.1);
#  - the winget manifests have the fields winget requires, and name the
#    packages by their hashes and product codes.
# One line per check, then "release checks: N run, M failed"; the exit status
# tells whether all passed.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
version=$(sed -n 's/^project(Zindle VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
dist=$root/build/dist signed=$root/build/release-signed
manifests=winget/manifests/k/Korvane/Zindle/$version
work=$(mktemp -d /tmp/zindle-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}

# The second build: the working tree's sources (tracked and new, not ignored)
# in a folder of another name, only the two programs and their packages.
rebuild() {
  local source=$work/source arch target
  mkdir -p "$source"
  git ls-files -z --cached --others --exclude-standard | tar --null --ignore-failed-read -T - -cf - 2>/dev/null |
    tar -xf - -C "$source" || return 1
  for target in win64:x86_64:x64 win32:i686:x86; do
    IFS=: read -r folder toolchain arch <<<"$target"
    nice -n 19 cmake -S "$source" -B "$work/$folder" -DCMAKE_BUILD_TYPE=Release -DZINDLE_E2E=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-$toolchain.cmake" >"$work/$folder.log" 2>&1 &&
      nice -n 19 cmake --build "$work/$folder" -j "$(nproc)" --target zindle >>"$work/$folder.log" 2>&1 &&
      "$source/packaging/build-msi.sh" "$arch" "$version" "$work/$folder/Zindle!.scr" "$work/Zindle-$version-$arch.msi" \
        >>"$work/$folder.log" 2>&1 || { echo "the second build failed:"; tail -20 "$work/$folder.log"; return 1; }
  done
  # By a builder of another umask than the first: the modes in the zip are set, not inherited.
  (umask 077 && "$source/packaging/build-zip.sh" "$version" "$work/win64/Zindle!.scr" "$work/win32/Zindle!.scr" \
    "$work/Zindle-$version.zip") || { echo "the second zip failed"; return 1; }
}
same_bytes() {  # built again, built first
  cmp "$1" "$2" || { echo "'$1' differs from '$2'"; return 1; }
}

# A package of a program with other bytes must be another product and
# package, or Windows Installer would take it for the one installed.
another_program_is_another_product() {
  local msi=$dist/Zindle-$version-x64.msi other=$work/other
  mkdir -p "$other"
  cp "build/win64/Zindle!.scr" "$other/" && printf 'other bytes' >>"$other/Zindle!.scr"
  packaging/build-msi.sh x64 "$version" "$other/Zindle!.scr" "$other/other.msi" || return 1
  local status=0 name
  for name in ProductCode UpgradeCode; do
    local one two
    one=$(msiinfo export "$msi" Property | sed -n "s/^$name\t//p") two=$(msiinfo export "$other/other.msi" Property | sed -n "s/^$name\t//p")
    if [ "$name" = UpgradeCode ]; then [ "$one" = "$two" ]; else [ "$one" != "$two" ]; fi ||
      { echo "$name: '$one' and '$two'"; status=1; }
  done
  local code='s/^Revision number (UUID): //p'
  [ "$(msiinfo suminfo "$msi" | sed -n "$code")" != "$(msiinfo suminfo "$other/other.msi" | sed -n "$code")" ] ||
    { echo "the same package code"; status=1; }
  return $status
}

# The throw-away certificate: self-signed, for code signing, with a password.
password='throw away'
make_certificate() {
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=Zindle! test signer" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" 2>/dev/null &&
    openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/signer.pfx" -passout "pass:$password"
}
sign_release() {
  make_certificate || return 1
  ZINDLE_SIGN_PFX=$work/signer.pfx ZINDLE_SIGN_PASSWORD=$password scripts/package.sh "$signed" >"$work/signed.log" 2>&1 ||
    { tail -20 "$work/signed.log"; return 1; }
  # The programs as they are handed out: in the zip and in each package.
  mkdir -p "$work/zip" "$work/x64" "$work/x86"
  unzip -q -o "$signed/Zindle-$version.zip" -d "$work/zip" &&
    (cd "$work/x64" && msiextract "$signed/Zindle-$version-x64.msi" >/dev/null) &&
    (cd "$work/x86" && msiextract "$signed/Zindle-$version-x86.msi" >/dev/null)
}
verifies() {  # file: its signature holds and was made with the throw-away certificate
  osslsigncode verify -in "$1" -CAfile "$work/cert.pem" >"$work/verify.log" 2>&1 ||
    { echo "$1 does not verify:"; tail -5 "$work/verify.log"; return 1; }
}
package_verifies() {  # package
  verifies "$1" || return 1
  grep -q '^Calculated MsiDigitalSignatureEx' "$work/verify.log" || { echo "$1: no MsiDigitalSignatureEx"; return 1; }
}
programs_verify() {
  local program status=0
  for program in "$work/zip/x64/Zindle!.scr" "$work/zip/x86/Zindle!.scr" "$work/x64/Zindle!.scr" "$work/x86/Zindle!.scr"; do
    verifies "$program" || status=1
  done
  return $status
}
# A byte in the middle of the program, or of the cabinet that a package carries.
changed_byte_breaks() {  # file, where: program or cabinet
  python3 - "$1" "$work/changed" "$2" <<'EOF' || return 1
import sys
data = bytearray(open(sys.argv[1], "rb").read())
start = data.find(b"MSCF") if sys.argv[3] == "cabinet" else 0
data[start + (len(data) - start) // 2] ^= 0x01
open(sys.argv[2], "wb").write(data)
EOF
  ! osslsigncode verify -in "$work/changed" -CAfile "$work/cert.pem" >/dev/null 2>&1 ||
    { echo "$1 with one byte changed still verifies"; return 1; }
}
# The signed program is the built one with a signature added: the build,
# signed here again, has the same Authenticode digest.
digest() { osslsigncode verify -in "$1" 2>/dev/null | sed -n 's/^Current message digest *: *//p'; }
signed_programs_are_the_build() {
  local arch folder status=0
  for arch in x64:win64 x86:win32; do
    IFS=: read -r arch folder <<<"$arch"
    osslsigncode sign -pkcs12 "$work/signer.pfx" -pass "$password" -h sha256 -in "build/$folder/Zindle!.scr" \
      -out "$work/again-$arch.scr" >/dev/null || return 1
    local released again
    released=$(digest "$work/zip/$arch/Zindle!.scr") again=$(digest "$work/again-$arch.scr")
    [ -n "$released" ] && [ "$released" = "$again" ] ||
      { echo "$arch: digest '$released' released, '$again' of the build"; status=1; }
  done
  return $status
}
not_time_stamped() {
  local file
  for file in "$signed/Zindle-$version-x64.msi" "$work/zip/x64/Zindle!.scr"; do
    ! grep -q '^Timestamp time' <<<"$(osslsigncode verify -in "$file" -CAfile "$work/cert.pem" 2>&1)" ||
      { echo "$file is time-stamped"; return 1; }
  done
}
# A time-stamp server of its own on this machine, with a certificate for
# time-stamping.
time_stamped_by_the_server_named() {
  local stamps=$work/stamps status=0 file
  mkdir -p "$stamps" && echo 01 >"$stamps/serial"
  printf '%s\n' "[ tsa ]" "default_tsa = zindle" "[ zindle ]" "serial = serial" "signer_digest = sha256" \
    "default_policy = 1.2.3.4.1" "digests = sha256" "ess_cert_id_alg = sha256" >"$stamps/tsa.cnf"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$stamps/tsa.key" -out "$stamps/tsa.pem" -days 2 \
    -subj "/CN=Zindle! test time stamps" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=critical,timeStamping" 2>/dev/null || return 1
  python3 tests/package/time-stamp-server.py "$stamps" >"$stamps/port" &
  local server=$! port=
  for _ in $(seq 100); do port=$(cat "$stamps/port"); [ -n "$port" ] && break; sleep 0.05; done
  if [ -z "$port" ]; then echo "the time-stamp server did not start"; kill $server; return 1; fi
  ZINDLE_SIGN_PFX=$work/signer.pfx ZINDLE_SIGN_PASSWORD=$password ZINDLE_SIGN_TIMESTAMP=http://127.0.0.1:$port \
    scripts/package.sh "$work/stamped" >"$work/stamped.log" 2>&1 || { tail -20 "$work/stamped.log"; status=1; }
  kill $server
  wait $server 2>/dev/null
  [ $status -eq 0 ] || return 1
  mkdir -p "$work/stamped-zip" && unzip -q -o "$work/stamped/Zindle-$version.zip" -d "$work/stamped-zip" || return 1
  for file in "$work/stamped/Zindle-$version-x64.msi" "$work/stamped/Zindle-$version-x86.msi" \
    "$work/stamped-zip/x64/Zindle!.scr" "$work/stamped-zip/x86/Zindle!.scr"; do
    osslsigncode verify -in "$file" -CAfile "$work/cert.pem" -TSA-CAfile "$stamps/tsa.pem" 2>&1 |
      grep -q '^Timestamp Server Signature verification: ok' || { echo "$file: no time-stamp of the server"; status=1; }
  done
  return $status
}
wrong_password_fails_and_writes_nothing() {
  ! ZINDLE_SIGN_PFX=$work/signer.pfx ZINDLE_SIGN_PASSWORD="not $password" scripts/package.sh "$work/wrong" \
    >"$work/wrong.log" 2>&1 || { echo "package.sh succeeded"; return 1; }
  grep -q "signing .* failed" "$work/wrong.log" || { echo "package.sh did not say why:"; tail -5 "$work/wrong.log"; return 1; }
  [ ! -e "$work/wrong" ] || { echo "it made $work/wrong, holding: $(ls "$work/wrong" | tr "\n" " ")"; return 1; }
}
signed_checksums_and_manifest() {
  (cd "$signed" && sha256sum --quiet -c SHA256SUMS) &&
    python3 tests/package/check-manifest.py packages "$signed/$manifests" "$signed" "$version"
}

. "$root/tests/package/checks.sh"
if check "built again in another folder: the same sources build" rebuild; then
  check "built again: the same 64-bit Zindle!.scr" same_bytes "$work/win64/Zindle!.scr" "build/win64/Zindle!.scr"
  check "built again: the same 32-bit Zindle!.scr" same_bytes "$work/win32/Zindle!.scr" "build/win32/Zindle!.scr"
  check "built again: the same x64 package" same_bytes "$work/Zindle-$version-x64.msi" "$dist/Zindle-$version-x64.msi"
  check "built again: the same x86 package" same_bytes "$work/Zindle-$version-x86.msi" "$dist/Zindle-$version-x86.msi"
  check "built again: the same zip" same_bytes "$work/Zindle-$version.zip" "$dist/Zindle-$version.zip"
fi
check "a package of another program is another product and package of the same line" another_program_is_another_product
if check "a release signed with a throw-away certificate" sign_release; then
  check "signed: the x64 package verifies, with its MsiDigitalSignatureEx" package_verifies "$signed/Zindle-$version-x64.msi"
  check "signed: the x86 package verifies, with its MsiDigitalSignatureEx" package_verifies "$signed/Zindle-$version-x86.msi"
  check "signed: both programs verify, in the zip and in each package" programs_verify
  check "signed: a changed byte breaks the program's signature" changed_byte_breaks "$work/zip/x64/Zindle!.scr" program
  check "signed: a changed byte breaks the package's signature" changed_byte_breaks "$signed/Zindle-$version-x64.msi" cabinet
  check "signed: checksums and manifest name the signed files" signed_checksums_and_manifest
  check "signed: each program is the build with a signature added" signed_programs_are_the_build
  check "signed without a time-stamp server: nothing is time-stamped" not_time_stamped
  check "a wrong password fails the release, says so and writes nothing" wrong_password_fails_and_writes_nothing
  check "signed with a time-stamp server named: each file is counter-signed by it" time_stamped_by_the_server_named
fi
for file in Korvane.Zindle.yaml Korvane.Zindle.installer.yaml Korvane.Zindle.locale.en-US.yaml; do
  check "manifest $file: the fields winget requires" python3 tests/package/check-manifest.py fields "$dist/$manifests/$file" "$version"
done
check "manifest: each installer is its package, by hash and product code" \
  python3 tests/package/check-manifest.py packages "$dist/$manifests" "$dist" "$version"
echo "release checks: $run run, $failed failed"
[ "$failed" -eq 0 ]
