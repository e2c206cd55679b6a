#!/usr/bin/env bash
# A test-signed release made from the demo by scripts/release/make-release.sh,
# checked with osslsigncode itself (not through verify-release.sh, which the
# release runs and tampered_test.sh tries), and releases that must not be made.
#
#   release_test.sh RELEASE_DIR WORK
#
# Environment: RELEASE_BUILD (the 32-bit build tree), SETUPCHECK.
# RELEASE_DIR keeps the good release for the tests that follow.
set -uo pipefail
release=$1 work=$2
root=$(readlink -f "$(dirname "$0")/../..")
scripts=$root/scripts/release
build=$RELEASE_BUILD
rm -rf "$work" "$release"
mkdir -p "$work"
. "$(dirname "$0")/checks.sh"
# make-release without any of the shipper's signing variables.
release_into() {  # release_into OUT SETTINGS...
  local out=$1; shift
  env -u SIGN_PKCS12 -u SIGN_PKCS11_MODULE -u SIGN_PASSWORD -u SIGN_PASSWORD_FILE -u SIGN_ROOT \
    -u SIGN_TIMESTAMP_URL -u SIGN_TIMESTAMP_ROOT -u RELEASE_URL "$@" "$scripts/make-release.sh" "$build" "$out"
}
release_with() { release_into "$release" "$@"; }

# The release, test-signed, with the URL it will be published at.
release_with RELEASE_URL=https://downloads.example/zantivo/ >"$work/log" 2>&1
status=$?
check "make-release succeeds (log: $(tail -n 5 "$work/log"))" [ $status -eq 0 ]
check "make-release says loudly that the release is test-signed" grep -q 'TEST-SIGNED: no certificate given' "$work/log"
check "setupcheck ran over the folder" grep -q '^setupcheck: ' "$work/log"
zip=$release/ZantivoSetup-1.0.0.zip
check "the zip is named with the product's version" [ -f "$zip" ]
check "the release says it is test-signed" [ -f "$release/TEST-SIGNED.txt" ]
check "SHA256SUMS matches every file" sh -c "cd '$release' && sha256sum --strict --quiet -c SHA256SUMS"
listed=$(sed 's/^[0-9a-f]*  //' "$release/SHA256SUMS" | tr '\n' ' ')
check "SHA256SUMS lists the release's files: $listed" [ "$listed" = "TEST-SIGNED.txt ZantivoSetup-1.0.0.zip setupcheck.exe test-root.crt unzipper.exe winget/ZantivoImaging.Zantivo.installer.yaml winget/ZantivoImaging.Zantivo.locale.en-US.yaml winget/ZantivoImaging.Zantivo.yaml " ]

manifest=$release/winget/ZantivoImaging.Zantivo.installer.yaml
read -r url sha < <(python3 -c '
import sys, yaml
installer, = yaml.safe_load(open(sys.argv[1]))["Installers"]
print(installer["InstallerUrl"], installer["InstallerSha256"])' "$manifest")
zip_sha=$(sha256sum "$zip" | cut -d' ' -f1)
check "the manifest's InstallerSha256 $sha is the zip's $zip_sha" [ "${sha,,}" = "$zip_sha" ]
check "the manifest's InstallerUrl $url is RELEASE_URL's" [ "$url" = https://downloads.example/zantivo/ZantivoSetup-1.0.0.zip ]
check "the manifest keeps the demo's switches" grep -q 'Silent: /S' "$manifest"
# A zip's times are DOS times, to two seconds.
stamp=$(TZ=UTC unzip -Z -T "$zip" Setup.exe | awk '{print $7}')
zip_time=$(date -u -d "${stamp:0:8} ${stamp:9:2}:${stamp:11:2}:${stamp:13:2}" +%s)
commit_time=$(git -C "$root" log -1 --format=%ct)
apart=$((zip_time - commit_time))
check "the zip's entries carry the commit's time ($stamp)" [ ${apart#-} -le 2 ]

# Every program, where it ships: signed (SHA-256, the chain to the test
# root); and as it was built, nothing but the signature added.
mkdir -p "$work/folder" "$work/payload"
unzip -q "$zip" -d "$work/folder"
unzip -q -P 417263 "$work/folder/Setup.dat" -d "$work/payload"
python3 "$scripts/pe_files.py" programs "$release" "$work/folder" "$work/payload" >"$work/programs"
found=$(sed -e "s|^$work/||" -e "s|^$release/||" "$work/programs" | LC_ALL=C sort | tr '\n' ' ')
check "the release ships its 8 programs: $found" [ "$found" = "folder/Drivers/ScanDriverSetup.exe folder/Setup.exe payload/UnInstall.exe payload/Zantivo.exe payload/bin/PegasusImaging.ActiveX.BarcodeXpress5.dll payload/bin/borlndmm.dll setupcheck.exe unzipper.exe " ]
while read -r program; do
  osslsigncode verify -CAfile "$release/test-root.crt" -in "$program" >"$work/verify" 2>&1
  check "${program#"$work/"} verifies: $(grep -E 'MISMATCH|error|verification' "$work/verify" | head -n 2)" \
    grep -q '^Signature verification: ok' "$work/verify"
  check "${program#"$work/"} is signed with SHA-256" grep -q '^Message digest algorithm  : SHA256' "$work/verify"
done <"$work/programs"
"$scripts/compare-with-build.sh" "$release" "$build" >"$work/compared" 2>&1
status=$?
check "the release's 8 programs are the build's, signatures removed: $(tr '\n' ' ' <"$work/compared")" \
  [ "$status $(grep -c '^same ' "$work/compared")" = "0 8" ]

# A release with a certificate of the shipper's (one made here) and a
# timestamp server (one on the loopback address): not test-signed, and
# every signature countersigned.
"$scripts/test-certificate.sh" "$work/certificate"
cert=(SIGN_PKCS12="$work/certificate/signer.p12" SIGN_ROOT="$work/certificate/root.crt")
mkdir -p "$work/tsa"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Zantivo Setup test timestamps" \
  -addext "extendedKeyUsage=critical,timeStamping" -addext "basicConstraints=CA:FALSE" \
  -keyout "$work/tsa/tsa.key" -out "$work/tsa/tsa.crt" 2>/dev/null
python3 "$(dirname "$0")/local_tsa.py" "$work/tsa" "$work/tsa/port" &
tsa=$!
for _ in $(seq 50); do [ -s "$work/tsa/port" ] && break; sleep 0.1; done
shipped=$work/shipped-release
release_into "$shipped" "${cert[@]}" SIGN_PASSWORD_FILE="$work/certificate/signer.pass" \
  SIGN_TIMESTAMP_URL="http://127.0.0.1:$(cat "$work/tsa/port")/" SIGN_TIMESTAMP_ROOT="$work/tsa/tsa.crt" \
  >"$work/shipped.log" 2>&1
check "a release with the shipper's certificate and a timestamp server ($(tail -n 3 "$work/shipped.log"))" [ $? -eq 0 ]
kill "$tsa" 2>/dev/null; wait "$tsa" 2>/dev/null
check "it carries no TEST-SIGNED.txt" [ ! -e "$shipped/TEST-SIGNED.txt" ]
check "it carries no test root" [ ! -e "$shipped/test-root.crt" ]
check "it says nothing of a test signature" sh -c "! grep -q TEST-SIGNED '$work/shipped.log'"
rm -rf "$work/shipped"; mkdir -p "$work/shipped"
unzip -q "$shipped/ZantivoSetup-1.0.0.zip" Setup.exe -d "$work/shipped"
for program in "$shipped/setupcheck.exe" "$work/shipped/Setup.exe"; do
  osslsigncode verify -CAfile "$work/certificate/root.crt" -TSA-CAfile "$work/tsa/tsa.crt" -in "$program" >"$work/verify" 2>&1
  check "${program#"$work/"} carries a timestamp that verifies" grep -q '^Timestamp Server Signature verification: ok' "$work/verify"
  check "${program#"$work/"} verifies" grep -q '^Signature verification: ok' "$work/verify"
done

# Releases that must not be made; each leaves the release above as it was.
# Signing fails with osslsigncode's reason (the first two), or before it.
printf 'not the password' >"$work/wrong.pass"
while IFS='|' read -r what settings expected; do
  # shellcheck disable=SC2086 # settings are words
  release_with "${cert[@]}" $settings >"$work/refused" 2>&1
  status=$?
  check "$what: refused (status $status)" [ $status -ne 0 ]
  check "$what: says \"$expected\"" grep -qF "$expected" "$work/refused"
  check "$what: the earlier release is untouched" sh -c "cd '$release' && sha256sum --quiet -c SHA256SUMS"
  check "$what: nothing half-made is left" [ ! -e "$release.partial" ]
done <<CASES
an unreachable timestamp server|SIGN_PASSWORD_FILE=$work/certificate/signer.pass SIGN_TIMESTAMP_URL=http://127.0.0.1:9/|(timestamp server http://127.0.0.1:9/)
a wrong password|SIGN_PASSWORD_FILE=$work/wrong.pass|Wrong password
a missing password||its password is not: set SIGN_PASSWORD_FILE
a password file that is not there|SIGN_PASSWORD_FILE=$work/none.pass|SIGN_PASSWORD_FILE=$work/none.pass cannot be read
CASES

finish
