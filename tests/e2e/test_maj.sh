#!/usr/bin/env bash
# The update check as a user meets it: "Mise à jour" in the About window asks our loopback
# site, over https with a certificate made for the run, and an updater signed with a key made
# for the run arrives, starts and ends Monvalor — or, when anything is wrong, nothing starts.
if [ -z "${MONVALOR_TEST_SITE:-}" ]; then
    exec bash "$(dirname "$0")/../reseau/avec_serveur.sh" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

PORT="${MONVALOR_TEST_PORTS#https=}"
PORT="${PORT%% *}"
SITE="https://127.0.0.1:$PORT"
export MONVALOR_SITE="$SITE/site" MONVALOR_CERTIFICATS="$MONVALOR_TEST_CERTIFICAT"

# A copy of the program in a folder of its own, so that the updater lands there.
mkdir "$TRAVAIL/programme"
MARQUE="$TRAVAIL/marque"
if [ -n "${MONVALOR_EXE:-}" ]; then
    # The Windows program under Wine; its updater is a Windows program too.
    cp "$MONVALOR_EXE" "$TRAVAIL/programme/monvalor.exe"
    MONVALOR_EXE="$TRAVAIL/programme/monvalor.exe"
    MISE_A_JOUR="$TRAVAIL/programme/MonvalorUpdate.exe"
    DEPART="$(winepath -w "$TRAVAIL/programme" 2>/dev/null)"
    MONVALOR_MARQUE="$(winepath -w "$MARQUE" 2>/dev/null)"
    export MONVALOR_MARQUE
    # Wine's desktop process belongs to the display it was started with: none yet here.
    wineserver -k 2>/dev/null || true
    cp "${MONVALOR_MARQUE_EXE:?MONVALOR_MARQUE_EXE names the updater stand-in}" \
        "$MONVALOR_TEST_SITE/MonvalorUpdate"
else
    cp "$MONVALOR" "$TRAVAIL/programme/monvalor"
    MONVALOR="$TRAVAIL/programme/monvalor"
    MISE_A_JOUR="$TRAVAIL/programme/MonvalorUpdate"
    DEPART="$TRAVAIL/programme"
    printf '#!/bin/sh\necho "started from $(dirname "$0")" >"%s"\n' "$MARQUE" \
        >"$MONVALOR_TEST_SITE/MonvalorUpdate"
fi

# The signing key of the run; the updater leaves a mark where it was started from.
openssl ecparam -name prime256v1 -genkey -noout -out "$TRAVAIL/cle-maj.pem" 2>/dev/null
openssl ec -in "$TRAVAIL/cle-maj.pem" -pubout -out "$TRAVAIL/cle-maj-publique.pem" 2>/dev/null
export MONVALOR_CLE_MAJ="$TRAVAIL/cle-maj-publique.pem"
# Padding, so that the transfer lasts long enough to be seen.
head -c 20000 /dev/zero | tr '\0' '#' >>"$MONVALOR_TEST_SITE/MonvalorUpdate"
signer() {
    openssl dgst -sha256 -sign "$TRAVAIL/cle-maj.pem" "$MONVALOR_TEST_SITE/$1" | base64 -w0 \
        >"$MONVALOR_TEST_SITE/$1.sig"
}
signer MonvalorUpdate
cp "$MONVALOR_TEST_SITE/MonvalorUpdate" "$MONVALOR_TEST_SITE/Altere"
printf 'echo intrus\n' >>"$MONVALOR_TEST_SITE/Altere"
cp "$MONVALOR_TEST_SITE/MonvalorUpdate.sig" "$MONVALOR_TEST_SITE/Altere.sig"

# annoncer VERSION CHEMIN: the version file the site publishes.
annoncer() {
    printf 'Version %s\r\n%s\r\nUne nouvelle version de Monvalor est disponible.\r\nVoulez-vous l'"'"'installer ?\r\n' \
        "$1" "$SITE$2" >"$MONVALOR_TEST_SITE/version.txt"
}

boites() {
    # While the About window is open, the only other window called "Monvalor" is a message box.
    xdotool search --onlyvisible --name '^Monvalor$' 2>/dev/null || true
}
fenetres_telechargement() {
    xdotool search --onlyvisible --name '^Téléchargement$' 2>/dev/null || true
}
attendre_boite() { attendre 20 "$1" il_y_a boites; }
# Answers the message box with a key: Return (OK, or Oui) or Escape (Non).
repondre() {
    local w
    w="$(boites | head -n 1)"
    xdotool windowfocus --sync "$w"
    xdotool key --clearmodifiers "$1"
    # That box: the next one may already be open.
    attendre 5 "the message box did not close" ferme "$w"
}
ferme() { ! boites | grep -qx "$1"; }
# Clicks "Mise à jour": 120, 1080 twips from the corner, 975 × 495 twips.
verifier() {
    : >"$MONVALOR_TEST_REQUETES"
    cliquer_dans "$(fenetres_apropos | head -n 1)" 40 88
}
demandes() { paste -sd ' ' "$MONVALOR_TEST_REQUETES"; }
en_vie() { kill -0 "$LANCE" 2>/dev/null || echec "Monvalor ended: $1"; }
rien_lance() {
    sleep 0.5
    [ ! -e "$MARQUE" ] || echec "an updater was started: $1"
    [ ! -e "$MISE_A_JOUR" ] || echec "an updater was left in the program's folder: $1"
    en_vie "$1"
}

LANG=C.UTF-8
export LANG
demarrer_x
lancer
attendre_apropos

# The same version as ours: "Pas de mise à jour", the updater is not even asked for.
annoncer "$("$MONVALOR" --version | tr -d '\r' | cut -d' ' -f2)" /site/MonvalorUpdate
verifier
attendre_boite "no answer to a check against the same version"
attendu "$(demandes)" "/site/version.txt" "asked for the same version"
repondre Return
rien_lance "same version"

# A newer version, and the user says Non: nothing more is fetched.
annoncer 1.3.10 /site/MonvalorUpdate
verifier
attendre_boite "no question for a newer version"
repondre Escape
attendu "$(demandes)" "/site/version.txt" "asked after Non"
rien_lance "after Non"

# Oui, but the updater is not on the site: a message, and Monvalor goes on.
annoncer 1.10.0 /site/Absent
verifier
attendre_boite "no question before a missing updater"
repondre Return
attendre_boite "no message for a missing updater"
repondre Return
attendu "$(demandes)" "/site/version.txt /site/Absent" "asked for a missing updater"
rien_lance "missing updater"

# An updater changed after it was signed: fetched with its signature, refused, removed.
annoncer 2.0 /site/Altere
verifier
attendre_boite "no question before an altered updater"
repondre Return
attendre_boite "no message for an altered updater"
repondre Return
attendu "$(demandes)" "/site/version.txt /site/Altere /site/Altere.sig" "asked for an altered one"
rien_lance "altered updater"

# The genuine one, slowly: the download window shows, then the updater starts from the
# program's folder and Monvalor ends.
annoncer 2.0 /site-lent/MonvalorUpdate
verifier
attendre_boite "no question before the genuine updater"
repondre Return
attendre 10 "the download window did not appear" il_y_a fenetres_telechargement
attendre 20 "the updater did not start" test -s "$MARQUE"
attendu "$(tr -d '\r' <"$MARQUE")" "started from $DEPART" "mark of the updater"
cmp -s "$MISE_A_JOUR" "$MONVALOR_TEST_SITE/MonvalorUpdate" || echec "the updater did not arrive whole"
attendre 10 "Monvalor did not end after starting the updater" termine "$LANCE"
echo "1 passed, 0 failed"
