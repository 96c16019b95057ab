#!/usr/bin/env bash
# Keys and signatures for the signature tests, made by OpenSSL as the updates' signer makes
# them: into the folder given, afresh at every run, never kept in the sources.
set -euo pipefail
dossier=$1
rm -rf "$dossier"
mkdir -p "$dossier"
cd "$dossier"

printf '#!/bin/sh\necho mise a jour\n\0\377' >programme.bin
for nom in bonne autre; do
    openssl ecparam -name prime256v1 -genkey -noout -out "$nom.key" 2>/dev/null
    openssl ec -in "$nom.key" -pubout -out "$nom.pem" 2>/dev/null
done
openssl ecparam -name secp384r1 -genkey -noout -out p384.key 2>/dev/null
openssl ec -in p384.key -pubout -out p384.pem 2>/dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -out rsa.key 2>/dev/null
openssl pkey -in rsa.key -pubout -out rsa.pem
for nom in bonne p384 rsa; do
    openssl dgst -sha256 -sign "$nom.key" -out "$nom.sig" programme.bin
done

# The lengths of r and s in a DER signature.
longueurs() {
    local -a o
    # shellcheck disable=SC2207
    o=($(od -An -tu1 -v "$1"))
    echo "${o[3]} ${o[$((5 + o[3]))]}"
}
# Signatures whose r or s takes fewer than 32 bytes, and more (a leading zero): the two ways a
# DER integer differs from the 32 bytes of the raw form. Each try is a new random nonce.
for essai in $(seq 1 4000); do
    openssl dgst -sha256 -sign bonne.key -out essai.sig programme.bin
    read -r r s <<<"$(longueurs essai.sig)"
    if [[ ! -e courte.sig ]] && ((r < 32 || s < 32)); then
        cp essai.sig courte.sig
    fi
    if [[ ! -e longue.sig ]] && ((r == 33 || s == 33)); then
        cp essai.sig longue.sig
    fi
    if [[ -e courte.sig && -e longue.sig ]]; then
        break
    fi
done
rm -f essai.sig ./*.key
[[ -e courte.sig && -e longue.sig ]]
