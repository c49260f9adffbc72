#!/usr/bin/env bash
# The release key, with Debian's openssl:
#   release-key.sh new KEY.pem
#       makes a new P-256 private key (keep it out of the repository);
#   release-key.sh public KEY.pem
#       prints its public key as the build takes it (ZANDREL_RELEASE_PUBLIC_KEY):
#       the hex of the point, X then Y, 128 digits;
#   release-key.sh sign KEY.pem FILE [PUBLIC]
#       writes FILE.sig: ECDSA P-256 over SHA-256, the raw r then s (32 bytes
#       each, big-endian), checked against the key before it is kept. With
#       PUBLIC (the configured public key), refuses a key that is not its pair.
set -euo pipefail

usage() {
  sed -n '2,12p' "$0" >&2
  exit 2
}

# The key's public point as 128 hex digits; fails for a key not on P-256.
public_hex() {
  local key=$1 text
  text=$(openssl ec -in "$key" -noout -text 2>/dev/null) || {
    echo "release-key.sh: $key is no EC private key" >&2
    return 1
  }
  grep -q 'ASN1 OID: prime256v1' <<<"$text" || {
    echo "release-key.sh: $key is not a P-256 key" >&2
    return 1
  }
  # The public key's DER ends in the uncompressed point 04 X Y.
  openssl ec -in "$key" -pubout -outform DER 2>/dev/null | tail -c 64 | od -An -v -tx1 | tr -d ' \n'
}

# One INTEGER of the DER signature, as 64 hex digits.
pad32() {
  local hex=$1
  while [ ${#hex} -lt 64 ]; do hex="0$hex"; done
  while [ ${#hex} -gt 64 ] && [ "${hex:0:1}" = 0 ]; do hex=${hex:1}; done
  [ ${#hex} -eq 64 ] || return 1
  printf '%s' "$hex"
}

command=${1:-}
case "$command" in
  new)
    [ $# -eq 2 ] || usage
    [ -e "$2" ] && { echo "release-key.sh: $2 exists already" >&2; exit 1; }
    (umask 077 && openssl ecparam -name prime256v1 -genkey -noout -out "$2")
    ;;
  public)
    [ $# -eq 2 ] || usage
    public_hex "$2"
    echo
    ;;
  sign)
    [ $# -eq 3 ] || [ $# -eq 4 ] || usage
    key=$2 file=$3
    if [ $# -eq 4 ]; then
      actual=$(public_hex "$key")
      if [ "${actual,,}" != "${4,,}" ]; then
        echo "release-key.sh: $key does not match the configured public key" >&2
        exit 1
      fi
    fi
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    openssl dgst -sha256 -sign "$key" -out "$work/sig.der" "$file"
    openssl ec -in "$key" -pubout -out "$work/public.pem" 2>/dev/null
    openssl dgst -sha256 -verify "$work/public.pem" -signature "$work/sig.der" "$file" >/dev/null
    mapfile -t halves < <(openssl asn1parse -inform DER -in "$work/sig.der" |
                          awk -F: '/INTEGER/ {print $NF}')
    [ ${#halves[@]} -eq 2 ] || { echo "release-key.sh: unexpected signature" >&2; exit 1; }
    raw=$(pad32 "${halves[0]}")$(pad32 "${halves[1]}")
    printf "$(sed 's/../\\x&/g' <<<"$raw")" >"$work/sig.raw"
    [ "$(stat -c %s "$work/sig.raw")" -eq 64 ] || { echo "release-key.sh: bad signature size" >&2; exit 1; }
    mv "$work/sig.raw" "$file.sig"
    ;;
  *)
    usage
    ;;
esac
