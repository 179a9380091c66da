#!/usr/bin/env bash
# A test CA and server certificates for the SMTP client's TLS tests, made with
# openssl in <dir>/certs: good.pem (for localhost, by the test CA) and
# unknown_ca.pem (by a CA nobody trusts), each with its key. The test CA goes
# last, as DER, to <dir>/ca.der: what a test imports into the prefix's trusted
# roots for its run, and the sign that the rest is complete.
# Usage: make_test_certs.sh <dir>
set -u
dir=$1
c=$dir/certs
command -v openssl >/dev/null || exit 1
mkdir -p "$c" || exit 1
ca() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$2" -keyout "$c/$1.key" -out "$c/$1.pem" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" 2>/dev/null
}
leaf() {
  openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$c/$1.key" -out "$c/$1.csr" 2>/dev/null &&
    printf 'subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\n' >"$c/$1.ext" &&
    openssl x509 -req -in "$c/$1.csr" -CA "$c/$2.pem" -CAkey "$c/$2.key" -CAcreateserial -days 2 \
      -extfile "$c/$1.ext" -out "$c/$1.pem" 2>/dev/null
}
ca ca "Parvex Test CA" && ca other_ca "Parvex Unknown CA" && leaf good ca && leaf unknown_ca other_ca &&
  openssl x509 -in "$c/ca.pem" -outform DER -out "$dir/ca.der.tmp" && mv "$dir/ca.der.tmp" "$dir/ca.der"
