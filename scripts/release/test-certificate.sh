#!/usr/bin/env bash
# Makes a throwaway code-signing certificate for a test-signed release, so
# that the whole signing path runs on any machine: a root CA of its own and a
# code-signing certificate issued by it (so verification walks a real chain
# to a root, as it does for a shipper's certificate), valid for 30 days.
#
#   test-certificate.sh DIR
#
# DIR receives root.crt (the root to verify against), signer.p12 (the
# certificate, its key and the root) and signer.pass (its password, random).
# The root's key is thrown away at once: nothing else can be signed with it.
# Nothing made here may ever sign a published release; the names say so.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: test-certificate.sh DIR" >&2; exit 2; }
dir=$1
mkdir -p "$dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
umask 077

openssl req -x509 -newkey rsa:3072 -nodes -days 30 -sha256 \
  -subj "/O=Zantivo Setup/CN=Zantivo Setup TEST root - NOT FOR RELEASE" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
  -keyout "$work/root.key" -out "$work/root.crt" 2>/dev/null
openssl req -newkey rsa:3072 -nodes -sha256 \
  -subj "/O=Zantivo Setup/CN=Zantivo Setup TEST signer - NOT FOR RELEASE" \
  -keyout "$work/signer.key" -out "$work/signer.csr" 2>/dev/null
cat >"$work/signer.ext" <<'EXT'
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=codeSigning
subjectKeyIdentifier=hash
authorityKeyIdentifier=keyid
EXT
openssl x509 -req -days 30 -sha256 -in "$work/signer.csr" -CA "$work/root.crt" -CAkey "$work/root.key" \
  -set_serial "0x$(openssl rand -hex 16)" -extfile "$work/signer.ext" -out "$work/signer.crt" 2>/dev/null
openssl rand -hex 16 >"$work/signer.pass"
openssl pkcs12 -export -inkey "$work/signer.key" -in "$work/signer.crt" -certfile "$work/root.crt" \
  -name "Zantivo Setup TEST signer" -passout "file:$work/signer.pass" -out "$work/signer.p12"
cp "$work/root.crt" "$work/signer.p12" "$work/signer.pass" "$dir/"
