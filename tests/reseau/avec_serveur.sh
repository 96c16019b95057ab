#!/usr/bin/env bash
# Runs a program beside the loopback test server, with a certificate made for this run only.
#   avec_serveur.sh PROGRAM [ARGS...]
# The program finds the server's ports in MONVALOR_TEST_PORTS ("https=P http=P ferme=P
# sourd=P") and the certificate to trust in MONVALOR_TEST_CERTIFICAT; MONVALOR_TEST_AUTRE_CERTIFICAT
# is one for the same names that the server does not hold, to be refused. The server's /site/ paths
# serve the files of the folder MONVALOR_TEST_SITE; it notes each path asked in the file
# MONVALOR_TEST_REQUETES.
set -euo pipefail
ICI="$(cd "$(dirname "$0")" && pwd)"
PROGRAMME="${1:?usage: avec_serveur.sh PROGRAM [ARGS...]}"
shift
TRAVAIL="$(mktemp -d)"
SERVEUR_PID=""
nettoyer() {
    if [ -n "$SERVEUR_PID" ]; then
        kill "$SERVEUR_PID" 2>/dev/null || true
        wait "$SERVEUR_PID" 2>/dev/null || true
    fi
    rm -rf "$TRAVAIL"
}
trap nettoyer EXIT

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
    -subj "/CN=127.0.0.1" -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
    -keyout "$TRAVAIL/cle.pem" -out "$TRAVAIL/certificat.pem" 2>"$TRAVAIL/openssl.log" ||
    { cat "$TRAVAIL/openssl.log" >&2; exit 1; }
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
    -subj "/CN=127.0.0.1" -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
    -keyout "$TRAVAIL/autre-cle.pem" -out "$TRAVAIL/autre.pem" 2>"$TRAVAIL/openssl.log" ||
    { cat "$TRAVAIL/openssl.log" >&2; exit 1; }

export MONVALOR_TEST_SITE="$TRAVAIL/site" MONVALOR_TEST_REQUETES="$TRAVAIL/requetes"
mkdir "$MONVALOR_TEST_SITE"
: >"$MONVALOR_TEST_REQUETES"
python3 "$ICI/serveur.py" "$TRAVAIL/certificat.pem" "$TRAVAIL/cle.pem" "$MONVALOR_TEST_SITE" \
    "$MONVALOR_TEST_REQUETES" >"$TRAVAIL/ports" &
SERVEUR_PID=$!
for _ in $(seq 1 100); do
    [ -s "$TRAVAIL/ports" ] && break
    kill -0 "$SERVEUR_PID" 2>/dev/null || { echo "the test server did not start" >&2; exit 1; }
    sleep 0.05
done
[ -s "$TRAVAIL/ports" ] || { echo "the test server gave no ports" >&2; exit 1; }

export MONVALOR_TEST_PORTS
MONVALOR_TEST_PORTS="$(head -n 1 "$TRAVAIL/ports")"
export MONVALOR_TEST_CERTIFICAT="$TRAVAIL/certificat.pem"
export MONVALOR_TEST_AUTRE_CERTIFICAT="$TRAVAIL/autre.pem"
unset MONVALOR_CERTIFICATS
"$PROGRAMME" "$@"
