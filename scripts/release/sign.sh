#!/usr/bin/env bash
# Signs Windows programs in place with an Authenticode SHA-256 signature
# (osslsigncode), with the shipper's certificate as the environment names it:
#
#   SIGN_PKCS12           a PKCS#12 file: certificate, chain and key
#   SIGN_PASSWORD_FILE    a file holding its password (or SIGN_PASSWORD, the
#                         password itself; a file keeps it out of process lists)
# or a hardware token, where code-signing keys live nowadays:
#   SIGN_PKCS11_MODULE    the token's PKCS#11 module (e.g. opensc-pkcs11.so)
#   SIGN_PKCS11_ENGINE    the OpenSSL engine that speaks PKCS#11 (libp11's pkcs11.so),
#                         where osslsigncode needs it
#   SIGN_KEY              the key on the token (a pkcs11: URI or its id)
#   SIGN_CERTS            the signing certificate and its chain, PEM
#   SIGN_PASSWORD(_FILE)  the token's PIN, when it asks for one
# and for every certificate:
#   SIGN_TIMESTAMP_URL    an RFC 3161 timestamp server, so that the signatures
#                         stay valid after the certificate expires
#   SIGN_DESCRIPTION      the name Windows shows in its prompts (default "Zantivo Setup")
#   SIGN_INFO_URL         a URL for more information (optional)
#
#   sign.sh FILE...
#
# A file is replaced only by its signed copy; the first failure stops, with
# osslsigncode's reason.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: sign.sh FILE..." >&2; exit 2; }
fail() { echo "sign: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

password=()
if [ -n "${SIGN_PASSWORD_FILE:-}" ]; then
  [ -r "$SIGN_PASSWORD_FILE" ] || fail "SIGN_PASSWORD_FILE=$SIGN_PASSWORD_FILE cannot be read"
  password=(-readpass "$SIGN_PASSWORD_FILE")
elif [ -n "${SIGN_PASSWORD:-}" ]; then
  (umask 077 && printf '%s' "$SIGN_PASSWORD" >"$work/password")
  password=(-readpass "$work/password")
fi

if [ -n "${SIGN_PKCS12:-}" ]; then
  [ -r "$SIGN_PKCS12" ] || fail "SIGN_PKCS12=$SIGN_PKCS12 cannot be read"
  [ ${#password[@]} -gt 0 ] || fail "SIGN_PKCS12 is set but its password is not: set SIGN_PASSWORD_FILE (or SIGN_PASSWORD)"
  key=(-pkcs12 "$SIGN_PKCS12" "${password[@]}")
elif [ -n "${SIGN_PKCS11_MODULE:-}" ]; then
  [ -n "${SIGN_KEY:-}" ] || fail "SIGN_PKCS11_MODULE is set but SIGN_KEY (the key on the token) is not"
  [ -r "${SIGN_CERTS:-}" ] || fail "SIGN_PKCS11_MODULE is set but SIGN_CERTS (the certificate chain, PEM) cannot be read"
  key=(-pkcs11module "$SIGN_PKCS11_MODULE" -certs "$SIGN_CERTS" -key "$SIGN_KEY" "${password[@]}")
  [ -z "${SIGN_PKCS11_ENGINE:-}" ] || key=(-pkcs11engine "$SIGN_PKCS11_ENGINE" "${key[@]}")
else
  fail "no certificate: set SIGN_PKCS12 (and SIGN_PASSWORD_FILE) or SIGN_PKCS11_MODULE, SIGN_KEY and SIGN_CERTS"
fi

options=(-h sha256 -n "${SIGN_DESCRIPTION:-Zantivo Setup}")
[ -z "${SIGN_INFO_URL:-}" ] || options+=(-i "$SIGN_INFO_URL")
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$SIGN_TIMESTAMP_URL")

for file in "$@"; do
  [ -f "$file" ] || fail "$file does not exist"
  signed=$work/signed
  rm -f "$signed"
  if ! osslsigncode sign "${key[@]}" "${options[@]}" -in "$file" -out "$signed" >"$work/log" 2>&1 \
     || ! [ -s "$signed" ]; then
    cat "$work/log" >&2
    fail "signing $file failed${SIGN_TIMESTAMP_URL:+ (timestamp server $SIGN_TIMESTAMP_URL)}"
  fi
  mv -f "$signed" "$file"
done
