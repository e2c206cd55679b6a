#!/usr/bin/env bash
# Makes a release a shipper can publish, from a 32-bit build tree:
#
#   make-release.sh BUILD OUT
#
# OUT (build/release) receives
#   ZantivoSetup-VERSION.zip   the setup folder: Setup.exe, Setup.dat, lang\, the extras
#   unzipper.exe, setupcheck.exe   the shippers' tools
#   winget/                    the manifests, InstallerSha256 and InstallerUrl filled in
#   SHA256SUMS                 every file above
# and, when it is test-signed, TEST-SIGNED.txt and test-root.crt.
#
# Every program is signed (sign.sh; the payload's before they go into
# Setup.dat). Without a certificate in the environment (SIGN_PKCS12 or
# SIGN_PKCS11_MODULE) a throwaway one is made and the release says, loudly,
# that it is test-signed. VERSION is the ProductVersion of the payload's
# Zantivo.exe, which must be the winget manifests' PackageVersion.
#
# Environment: SIGN_* (sign.sh), SIGN_ROOT (the root the signatures must
# chain to, for the final check), RELEASE_URL (where the zip will be
# published: InstallerUrl is RELEASE_URL/ZantivoSetup-VERSION.zip; else the
# manifest keeps its placeholder), SETUPCHECK (the setupcheck program that
# checks the folder; default build/native/setupcheck), SOURCE_DATE_EPOCH
# (default: the time of the source's commit; every file's time in the zips).
#
# The release is made in OUT.partial and checked by verify-release.sh
# before it replaces OUT: a failure anywhere leaves no release behind.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: make-release.sh BUILD OUT" >&2; exit 2; }
build=$(readlink -f "$1") out=$(readlink -f "$2")
here=$(readlink -f "$(dirname "$0")")
root=$(readlink -f "$here/../..")
fail() { echo "make-release: $*" >&2; exit 1; }
say() { echo "make-release: $*" >&2; }

case $(file -b "$build/Setup.exe" 2>/dev/null) in
  "PE32 executable (GUI) Intel 80386"*) ;;
  *) fail "$build/Setup.exe is not the 32-bit Setup.exe: the release is the win32 build's (make win32)" ;;
esac
setupcheck=${SETUPCHECK:-$root/build/native/setupcheck}
[ -x "$setupcheck" ] || fail "no setupcheck at $setupcheck (make native, or set SETUPCHECK)"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) \
    || fail "SOURCE_DATE_EPOCH is not set and $root is no git checkout to take it from"
fi
export SOURCE_DATE_EPOCH

partial=$out.partial
rm -rf "$partial"
mkdir -p "$partial"
work=$(mktemp -d)
trap 'rm -rf "$work" "$partial"' EXIT

# The certificate: the shipper's, or a throwaway one, said loudly.
test_signed=0
if [ -z "${SIGN_PKCS12:-}" ] && [ -z "${SIGN_PKCS11_MODULE:-}" ]; then
  test_signed=1
  "$here/test-certificate.sh" "$work/certificate"
  export SIGN_PKCS12=$work/certificate/signer.p12 SIGN_PASSWORD_FILE=$work/certificate/signer.pass
  export SIGN_ROOT=$work/certificate/root.crt
  cat >&2 <<'BANNER'
make-release: ******************************************************************
make-release: * TEST-SIGNED: no certificate given (SIGN_PKCS12 or SIGN_PKCS11_*). *
make-release: * The programs are signed with a throwaway test certificate that   *
make-release: * no Windows trusts. Do not publish this release.                  *
make-release: ******************************************************************
BANNER
fi

# The programs as the build made them, in the layout make-demo-folder.sh
# reads (Setup.exe with demo-product/ and demo-extras/ beside it).
stage=$work/stage
mkdir -p "$stage"
cp "$build/Setup.exe" "$build/tools/unzipper.exe" "$build/setupcheck.exe" "$stage/"
cp -r "$build/demo-product" "$build/demo-extras" "$stage/"
programs=$(python3 "$here/pe_files.py" programs "$stage")
say "signing $(wc -l <<<"$programs") programs"
# shellcheck disable=SC2086 # one path a line, split at line ends only
(IFS=$'\n'; "$here/sign.sh" $programs)
# Every file's time is the commit's: the zips' entries, and so the
# installed files, carry it rather than the time of this run.
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

folder=$work/folder
TZ=UTC "$root/demo/make-demo-folder.sh" "$stage/Setup.exe" "$folder"
find "$folder" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# The shippers' check of the folder it zips: errors stop the release.
status=0
"$setupcheck" "$folder" || status=$?
[ "$status" -le 1 ] || fail "setupcheck found errors in the setup folder; nothing is published"

version=$(python3 "$here/pe_files.py" version "$stage/demo-product/Zantivo.exe")
[[ $version =~ ^[0-9A-Za-z.+-]+$ ]] || fail "Zantivo.exe's ProductVersion '$version' cannot name a file"
zip_name=ZantivoSetup-$version.zip

# The zip: fixed order, no extra fields (owners, Unix times), times in UTC.
(cd "$folder" && find . -type f -printf '%P\n' | LC_ALL=C sort | TZ=UTC zip -q -X -D -9 "$partial/$zip_name" -@)
cp "$stage/unzipper.exe" "$stage/setupcheck.exe" "$partial/"

url=""
[ -z "${RELEASE_URL:-}" ] || url=${RELEASE_URL%/}/$zip_name
[ -n "$url" ] || say "warning: RELEASE_URL is not set: the winget manifest keeps its placeholder InstallerUrl"
mkdir -p "$partial/winget"
python3 "$here/winget_manifest.py" "$root/demo/winget" "$partial/winget" "$version" \
  "$(sha256sum "$partial/$zip_name" | cut -d' ' -f1)" "$url"

if [ $test_signed -eq 1 ]; then
  install -m 644 "$SIGN_ROOT" "$partial/test-root.crt"
  cat >"$partial/TEST-SIGNED.txt" <<'NOTE'
This release is TEST-SIGNED: its programs carry signatures of a throwaway
certificate made for this build, which chains only to test-root.crt beside
this file. No Windows trusts it. Do not publish it; make a release with the
shipper's certificate (SIGN_PKCS12 or SIGN_PKCS11_MODULE, see docs/shipping.md).
NOTE
fi
(cd "$partial" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)

"$here/verify-release.sh" "$partial" || fail "the release does not verify; nothing is published"
rm -rf "$out"
mv "$partial" "$out"
say "release in $out: $zip_name, $(grep -c . "$out/SHA256SUMS") files in SHA256SUMS"
[ $test_signed -eq 0 ] || say "TEST-SIGNED (see $out/TEST-SIGNED.txt): do not publish"
