#!/usr/bin/env bash
# Checks a release as its recipients can:
#
#   verify-release.sh [RELEASE_DIR]      (default build/release)
#
# - every file is listed in SHA256SUMS and matches it;
# - every program carries a valid Authenticode signature (the digest over
#   the file as it is now, and the certificate chain up to the root): the
#   programs beside the zip, those in the zip (Setup.exe, the further
#   installer) and those inside its Setup.dat (Zantivo.exe, UnInstall.exe,
#   the DLLs);
# - the winget installer manifest's InstallerSha256 is the zip's.
#
# The root is SIGN_ROOT (a PEM file), else the release's own test-root.crt
# when it is test-signed (said loudly), else the system's certificate store.
# Timestamps are checked against SIGN_TIMESTAMP_ROOT when it is given.
# Every finding is printed; the exit status is 1 when there is any.
set -euo pipefail
here=$(readlink -f "$(dirname "$0")")
release=$(readlink -f "${1:-$here/../../build/release}")
# The password Setup.exe opens Setup.dat with.
payload_password=${PAYLOAD_PASSWORD:-417263}
[ -f "$release/SHA256SUMS" ] || { echo "verify-release: $release holds no SHA256SUMS: no release there" >&2; exit 1; }

failed=0 passed=0
bad() { echo "verify-release: FAILED: $*" >&2; failed=$((failed + 1)); }
good() { passed=$((passed + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The checksums, and nothing published beside them unlisted.
if (cd "$release" && sha256sum --quiet --strict -c SHA256SUMS) >"$work/sums" 2>&1; then good
else bad "SHA256SUMS does not match: $(tr '\n' ' ' <"$work/sums")"; fi
(cd "$release" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort) >"$work/present"
sed 's/^[0-9a-f]*  //' "$release/SHA256SUMS" | LC_ALL=C sort >"$work/listed"
unlisted=$(comm -23 "$work/present" "$work/listed" | tr '\n' ' ')
if [ -z "$unlisted" ]; then good; else bad "files that SHA256SUMS does not list: $unlisted"; fi

zips=("$release"/ZantivoSetup-*.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || { bad "not one ZantivoSetup-VERSION.zip in $release"; exit 1; }
zip=${zips[0]}

root_option=()
if [ -n "${SIGN_ROOT:-}" ]; then
  root_option=(-CAfile "$SIGN_ROOT")
elif [ -f "$release/test-root.crt" ]; then
  echo "verify-release: TEST-SIGNED release: checking the signatures against its own test-root.crt," \
       "which no Windows trusts" >&2
  root_option=(-CAfile "$release/test-root.crt")
fi
[ -z "${SIGN_TIMESTAMP_ROOT:-}" ] || root_option+=(-TSA-CAfile "$SIGN_TIMESTAMP_ROOT")

# The programs: beside the zip, in it, and in its payload.
mkdir -p "$work/folder" "$work/payload"
unzip -q "$zip" -d "$work/folder" || bad "$(basename "$zip") does not unzip"
if [ -f "$work/folder/Setup.dat" ]; then
  unzip -q -P "$payload_password" "$work/folder/Setup.dat" -d "$work/payload" \
    || bad "Setup.dat does not extract with the payload password"
else
  bad "$(basename "$zip") holds no Setup.dat"
fi
python3 "$here/pe_files.py" programs "$release" "$work/folder" "$work/payload" >"$work/programs"
count=0
while read -r program; do
  name=${program#"$work/folder/"}; name=${name#"$work/payload/"}; name=${name#"$release/"}
  case $program in "$work/payload/"*) name="Setup.dat: $name" ;; "$work/folder/"*) name="$(basename "$zip"): $name" ;; esac
  count=$((count + 1))
  if osslsigncode verify "${root_option[@]}" -in "$program" >"$work/verify" 2>&1; then
    good
  else
    # osslsigncode's most telling line, in a few words.
    reason=$(sed -n -e 's/.*MISMATCH.*/its digest differs from the signed one/p' \
                    -e 's/.*\(No signature found\).*/not signed/p' \
                    -e 's/.*\(unsupported input file type\).*/not signed (\1)/p' \
                    -e 's/.*Verify error: \(.*\)/the certificate chain: \1/p' "$work/verify" | head -n 1)
    bad "$name: the signature does not verify: ${reason:-$(tail -n 2 "$work/verify" | tr '\n' ' ')}"
  fi
done <"$work/programs"
for expected in "$(basename "$zip"): Setup.exe" "Setup.dat: Zantivo.exe" "Setup.dat: UnInstall.exe" unzipper.exe setupcheck.exe; do
  case $expected in
    *": Setup.exe") file=$work/folder/Setup.exe ;;
    "Setup.dat: "*) file=$work/payload/${expected#Setup.dat: } ;;
    *) file=$release/$expected ;;
  esac
  if grep -qxF "$file" "$work/programs"; then good; else bad "$expected is missing or is no program"; fi
done

# The manifest's hash is the zip's.
installer=$(grep -l '^ManifestType: installer' "$release"/winget/*.yaml 2>/dev/null | head -n 1 || true)
if [ -z "$installer" ]; then
  bad "no winget installer manifest in $release/winget"
else
  stated=$(python3 -c 'import sys, yaml; print(yaml.safe_load(open(sys.argv[1]))["Installers"][0]["InstallerSha256"])' "$installer")
  actual=$(sha256sum "$zip" | cut -d' ' -f1)
  if [ "${stated,,}" = "$actual" ]; then good
  else bad "$(basename "$installer") says InstallerSha256 $stated, the zip's is $actual"; fi
fi

echo "verify-release: $count programs checked in $(basename "$release")"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
