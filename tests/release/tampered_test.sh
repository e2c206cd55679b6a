#!/usr/bin/env bash
# verify-release.sh on copies of a test-signed release, each changed as an
# attacker or an accident would change it. Where SHA256SUMS and the manifest
# are made again to match, only the signatures can tell, and they must.
#
#   tampered_test.sh RELEASE_DIR WORK
set -uo pipefail
release=$(readlink -f "$1") work=$2
root=$(readlink -f "$(dirname "$0")/../..")
verify=$root/scripts/release/verify-release.sh
zip_name=ZantivoSetup-1.0.0.zip
rm -rf "$work"
mkdir -p "$work"
work=$(readlink -f "$work")
. "$(dirname "$0")/checks.sh"

flip_byte() {  # the byte in the middle of FILE, one bit changed
  python3 - "$1" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
data[len(data) // 2] ^= 0x01
open(path, 'wb').write(data)
PY
}
rezip() {  # DIR ZIP [zip options]: ZIP made anew from DIR
  local dir=$1 zip=$2; shift 2
  rm -f "$zip"
  (cd "$dir" && find . -type f -printf '%P\n' | LC_ALL=C sort | zip -q -X -D "$@" "$zip" -@)
}
in_zip() {  # COMMAND ARGS: runs COMMAND in the unpacked zip, then zips it again
  rm -rf "$copy.folder"
  unzip -q "$copy/$zip_name" -d "$copy.folder"
  (cd "$copy.folder" && "$@")
  rezip "$copy.folder" "$copy/$zip_name"
}
in_payload() {  # COMMAND ARGS: the same inside the zip's Setup.dat
  in_zip in_setup_dat "$@"
}
in_setup_dat() {
  rm -rf "$copy.payload"
  unzip -q -P 417263 Setup.dat -d "$copy.payload"
  (cd "$copy.payload" && "$@")
  rezip "$copy.payload" "$PWD/Setup.dat" -P 417263
}
sums_again() {  # SHA256SUMS made to match whatever the release now holds
  (cd "$copy" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)
}
manifest_again() {  # the manifest's InstallerSha256 made to match the zip
  local sha
  sha=$(sha256sum "$copy/$zip_name" | cut -d' ' -f1)
  sed -i "s/^\(\s*InstallerSha256:\).*/\1 \"${sha^^}\"/" "$copy/winget/ZantivoImaging.Zantivo.installer.yaml"
}
unsigned_dll() {  # an unsigned program added to the payload
  python3 - bin/Extra.dll <<'PY'
import struct, sys
# The smallest PE header pe_files.py recognises: MZ, e_lfanew, "PE\0\0".
data = bytearray(512)
data[0:2] = b'MZ'
struct.pack_into('<I', data, 0x3c, 0x80)
data[0x80:0x84] = b'PE\0\0'
open(sys.argv[1], 'wb').write(data)
PY
}
signature_removed() {
  osslsigncode remove-signature -in "$1" -out "$1.unsigned" >/dev/null && mv "$1.unsigned" "$1"
}
other_root() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Some other root" \
    -keyout "$work/other.key" -out "$work/other-root.crt" 2>/dev/null
}

# name | what is done to the copy | what verify-release must say ("" : it passes)
number=0
while IFS='|' read -r what change expected; do
  number=$((number + 1))
  copy=$work/case$number
  cp -r "$release" "$copy"
  root_setting=()
  eval "$change"
  env -u SIGN_ROOT -u SIGN_TIMESTAMP_ROOT "${root_setting[@]}" "$verify" "$copy" >"$copy.log" 2>&1
  status=$?
  if [ -z "$expected" ]; then
    check "$what: verifies ($(tail -n 3 "$copy.log" | tr '\n' ' '))" [ $status -eq 0 ]
  else
    check "$what: fails verification (status $status)" [ $status -ne 0 ]
    check "$what: says \"$expected\" ($(grep FAILED "$copy.log" | head -n 3 | tr '\n' ' '))" grep -qF -- "$expected" "$copy.log"
  fi
done <<'CASES'
the release as it was made|:|
a byte of Setup.exe in the zip, the sums and the manifest made again|in_zip flip_byte Setup.exe; manifest_again; sums_again|ZantivoSetup-1.0.0.zip: Setup.exe: the signature does not verify
a byte of Zantivo.exe in Setup.dat, the sums and the manifest made again|in_payload flip_byte Zantivo.exe; manifest_again; sums_again|Setup.dat: Zantivo.exe: the signature does not verify
a byte of the barcode control in Setup.dat, the sums and the manifest made again|in_payload flip_byte bin/PegasusImaging.ActiveX.BarcodeXpress5.dll; manifest_again; sums_again|Setup.dat: bin/PegasusImaging.ActiveX.BarcodeXpress5.dll: the signature does not verify
a byte of unzipper.exe, the sums left alone|flip_byte "$copy/unzipper.exe"|unzipper.exe: FAILED
a byte of unzipper.exe, the sums made again|flip_byte "$copy/unzipper.exe"; sums_again|unzipper.exe: the signature does not verify
the further installer's signature removed|in_zip signature_removed Drivers/ScanDriverSetup.exe; manifest_again; sums_again|Drivers/ScanDriverSetup.exe: the signature does not verify
an unsigned DLL added to Setup.dat|in_payload unsigned_dll; manifest_again; sums_again|Setup.dat: bin/Extra.dll: the signature does not verify
the zip changed, its manifest left alone|in_zip touch extra.txt; sums_again|InstallerSha256
a file beside the zip that SHA256SUMS does not list|echo hello >"$copy/notes.txt"|files that SHA256SUMS does not list: notes.txt
the signatures checked against another root|other_root; root_setting=(SIGN_ROOT="$work/other-root.crt")|setupcheck.exe: the signature does not verify
CASES

finish
