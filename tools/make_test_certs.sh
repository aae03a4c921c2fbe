#!/usr/bin/env bash
# Makes the certificates of the stand-in service's TLS port, new each run, in
# DIR (under build/; no key is ever committed):
#   authority.crt   the test authority, which the test prefix alone trusts
#   localhost.*     for "localhost", signed by the test authority
#   otherhost.*     for another host name, signed by the test authority
#   untrusted.*     for "localhost", signed by an authority nobody trusts
# Usage: tools/make_test_certs.sh DIR
set -euo pipefail

dir=${1:?usage: make_test_certs.sh DIR}
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"

authority() { # NAME SUBJECT
    openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=$2" \
        -addext basicConstraints=critical,CA:true -addext keyUsage=critical,keyCertSign,cRLSign \
        -keyout "$1.key" -out "$1.crt" 2>/dev/null
}

server() { # NAME HOST AUTHORITY
    openssl req -newkey rsa:2048 -nodes -subj "/CN=$2" -keyout "$1.key" -out "$1.csr" 2>/dev/null
    printf 'subjectAltName=DNS:%s\nbasicConstraints=CA:false\nextendedKeyUsage=serverAuth\n' "$2" >"$1.ext"
    openssl x509 -req -in "$1.csr" -CA "$3.crt" -CAkey "$3.key" -CAcreateserial -days 30 \
        -extfile "$1.ext" -out "$1.crt" 2>/dev/null
    rm -f "$1.csr" "$1.ext"
}

authority authority "Hobrin Test Authority"
authority stranger "Hobrin Untrusted Authority"
server localhost localhost authority
server otherhost otherhost authority
server untrusted localhost stranger
# The authorities' keys are not needed any more.
rm -f authority.key stranger.key ./*.srl
