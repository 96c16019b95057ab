#!/usr/bin/env bash
# The update check as a user meets it, and as an attacker who holds the site would try it:
# "Mise à jour" in the About window asks our loopback site over https (a certificate made for
# the run) for its signed announcement (a key made for the run). Only a newer announcement
# that verifies is offered, and only the very updater it names, carrying its own signature,
# starts; every other answer ends in one message, with nothing started and nothing left.
if [ -z "${MONVALOR_TEST_SITE:-}" ]; then
    exec bash "$(dirname "$0")/../reseau/avec_serveur.sh" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

PORT="${MONVALOR_TEST_PORTS#https=}"
PORT="${PORT%% *}"
SITE="https://127.0.0.1:$PORT"
S="$MONVALOR_TEST_SITE"
export MONVALOR_SITE="$SITE/site" MONVALOR_CERTIFICATS="$MONVALOR_TEST_CERTIFICAT"

# A copy of the program in a folder of its own, so that the updater lands there.
mkdir "$TRAVAIL/programme"
MARQUE="$TRAVAIL/marque"
if [ -n "${MONVALOR_EXE:-}" ]; then
    # The Windows program under Wine; its updater is a Windows program too.
    cp "$MONVALOR_EXE" "$TRAVAIL/programme/monvalor.exe"
    MONVALOR_EXE="$TRAVAIL/programme/monvalor.exe"
    ANNONCE=version.txt
    PROGRAMME=monvalor.exe
    RESTE=MonvalorUpdate.exe
    DEPART="$(winepath -w "$TRAVAIL/programme" 2>/dev/null)"
    MONVALOR_MARQUE="$(winepath -w "$MARQUE" 2>/dev/null)"
    export MONVALOR_MARQUE
    # Wine's desktop process belongs to the display it was started with: none yet here.
    wineserver -k 2>/dev/null || true
    cp "${MONVALOR_MARQUE_EXE:?MONVALOR_MARQUE_EXE names the updater stand-in}" "$S/MonvalorUpdate"
    cp "$S/MonvalorUpdate" "$S/Ancien"
    printf 'ancien' >>"$S/Ancien"
else
    cp "$MONVALOR" "$TRAVAIL/programme/monvalor"
    MONVALOR="$TRAVAIL/programme/monvalor"
    ANNONCE=linux/version.txt
    PROGRAMME=monvalor
    RESTE=""
    DEPART="$TRAVAIL/programme"
    # Started from its descriptor, the file already gone: the folder comes as its argument.
    printf '#!/bin/sh\necho "started from $1 in $(pwd)" >"%s"\n' "$MARQUE" >"$S/MonvalorUpdate"
    printf '#!/bin/sh\necho "old one started" >"%s"\n' "$MARQUE" >"$S/Ancien"
fi
mkdir -p "$S/linux"

# The signing key of the run.
openssl ecparam -name prime256v1 -genkey -noout -out "$TRAVAIL/cle-maj.pem" 2>/dev/null
openssl ec -in "$TRAVAIL/cle-maj.pem" -pubout -out "$TRAVAIL/cle-maj-publique.pem" 2>/dev/null
export MONVALOR_CLE_MAJ="$TRAVAIL/cle-maj-publique.pem"
# Padding, so that the transfer lasts long enough to be seen.
head -c 20000 /dev/zero | tr '\0' '#' >>"$S/MonvalorUpdate"
signer() {
    openssl dgst -sha256 -sign "$TRAVAIL/cle-maj.pem" "$S/$1" | base64 -w0 >"$S/$1.sig"
}
signer MonvalorUpdate
signer Ancien
cp "$S/MonvalorUpdate" "$S/Altere"
printf 'echo intrus\n' >>"$S/Altere"
cp "$S/MonvalorUpdate.sig" "$S/Altere.sig"

# annoncer VERSION CHEMIN [MESSAGE]: the signed announcement, naming the updater at CHEMIN on
# the site with the digest of the genuine one.
annoncer() {
    local empreinte
    empreinte="$(sha256sum "$S/MonvalorUpdate" | cut -d' ' -f1)"
    printf 'Version %s\r\n%s#sha256=%s\r\n%s\r\nVoulez-vous l'"'"'installer ?\r\n' "$1" "$SITE$2" \
        "$empreinte" "${3:-Une nouvelle version de Monvalor est disponible.}" >"$S/$ANNONCE"
    signer "$ANNONCE"
}
# mal NOM MODE: the site misbehaves for that file (see serveur.py).
mal() { printf '%s %s\n' "$1" "$2" >"$S/.modes"; }
bien() { rm -f "$S/.modes"; }

boites() {
    # While the About window is open, the only other window called "Monvalor" is a message box.
    xdotool search --onlyvisible --name '^Monvalor$' 2>/dev/null || true
}
fenetres_telechargement() {
    xdotool search --onlyvisible --name '^Téléchargement$' 2>/dev/null || true
}
attendre_boite() { attendre "${2:-20}" "$1" il_y_a boites; }
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
# Clicks "Mise à jour" (then "Arrêter" while it waits): 120, 1080 twips from the corner.
cliquer_bouton() { cliquer_dans "$(fenetres_apropos | head -n 1)" 40 88; }
verifier() {
    : >"$MONVALOR_TEST_REQUETES"
    cliquer_bouton
}
demandes() { paste -sd ' ' "$MONVALOR_TEST_REQUETES"; }
contenu() { ls -A "$TRAVAIL/programme" | LC_ALL=C sort | paste -sd ' '; }
en_vie() { kill -0 "$LANCE" 2>/dev/null || echec "Monvalor ended: $1"; }
# Nothing started, nothing left beside the program, no other box, Monvalor still there.
rien_lance() {
    sleep 1
    [ -z "$(boites)" ] || echec "another message box followed: $1"
    [ ! -e "$MARQUE" ] || echec "an updater was started: $1"
    attendu "$(contenu)" "$PROGRAMME" "files left: $1"
    en_vie "$1"
}
# une_boite WHAT ANSWERS...: one box, answered, then nothing more.
une_boite() {
    local quoi="$1"
    shift
    local r
    for r in "$@"; do
        attendre_boite "no message box: $quoi"
        repondre "$r"
    done
    rien_lance "$quoi"
}
# A box drawn as plain text: no red from a server's markup, and no taller than a few lines.
sans_balisage() {
    local w hauteur rouges
    w="$(boites | head -n 1)"
    hauteur="$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')"
    [ "$hauteur" -lt 300 ] || echec "$1: the box is $hauteur px high"
    rouges="$(import -window "$w" png:- | convert - -fx 'r>0.8&&g<0.3&&b<0.3' \
        -format '%[fx:round(mean*w*h)]' info:)"
    [ "$rouges" -eq 0 ] || echec "$1: $rouges red pixels in the box"
}

LANG=C.UTF-8
export LANG
VERSION="$("$MONVALOR" --version | tr -d '\r' | cut -d' ' -f2)"
demarrer_x
umask 000
lancer
umask 022
attendre_apropos

# The same version as ours: "Pas de mise à jour", and the updater is not even asked for.
annoncer "$VERSION" /site/MonvalorUpdate
verifier
une_boite "same version" Return
attendu "$(demandes)" "/site/$ANNONCE /site/$ANNONCE.sig" "asked for the same version"

# A newer version and Non: nothing more is fetched. Its copy stays for the next case.
annoncer 1.3.10 /site/MonvalorUpdate
verifier
une_boite "after Non" Escape
attendu "$(demandes)" "/site/$ANNONCE /site/$ANNONCE.sig" "asked after Non"

# The site stops answering: the failure is told, and the earlier copy is not offered again.
mv "$S/$ANNONCE" "$S/retire"
verifier
une_boite "stale announcement" Return
mv "$S/retire" "$S/$ANNONCE"

# An announcement that does not carry the key's signature, or weighs 64 KiB + 1.
signer Ancien
cp "$S/Ancien.sig" "$S/$ANNONCE.sig"
verifier
une_boite "unsigned announcement" Return
head -c 65537 /dev/zero | tr '\0' 'x' >"$S/$ANNONCE"
verifier
une_boite "announcement too long" Return

# Whoever holds the site writes markup in the message, its status line or a redirect.
annoncer 2.0 /site/Absent "<b style='font-size:90px;color:#ff0000'>GROS</b>&#8238;exe.txt"
verifier
attendre_boite "no question with markup"
sans_balisage "the announcement's message"
repondre Escape
for mode in statut-html redir-html; do
    mal "$ANNONCE" "$mode"
    verifier
    attendre_boite "no message for $mode"
    sans_balisage "$mode"
    une_boite "$mode" Return
done

# A 1xx flood, and an announcement's signature that trickles: each ends in a message.
mal "$ANNONCE" provisoires
verifier
une_boite "1xx flood" Return
mal "$ANNONCE.sig" goutte
verifier
attendre_boite "the trickling signature was waited for without end" 15
une_boite "trickling signature" Return
bien

# Oui, and the site holds no such updater, or no signature for it, or one that trickles
# (stopped with the button, which reads "Arrêter" meanwhile).
annoncer 2.0 /site/Absent
verifier
une_boite "missing updater" Return Return
annoncer 2.0 /site/MonvalorUpdate
mv "$S/MonvalorUpdate.sig" "$S/signature"
verifier
une_boite "missing signature" Return Return
mv "$S/signature" "$S/MonvalorUpdate.sig"
mal MonvalorUpdate.sig goutte
verifier
attendre_boite "no question before the trickling signature"
repondre Return
attendre 10 "the updater's signature was not asked for" grep -q 'MonvalorUpdate.sig' \
    "$MONVALOR_TEST_REQUETES"
sleep 0.5
cliquer_bouton
une_boite "stopped signature" Return
bien

# An older updater, genuinely signed, behind a newer announcement; one changed after signing.
annoncer 2.0 /site/Ancien
verifier
une_boite "rollback" Return Return
attendu "$(demandes)" "/site/$ANNONCE /site/$ANNONCE.sig /site/Ancien /site/Ancien.sig" "rollback"
annoncer 2.0 /site/Altere
verifier
une_boite "altered updater" Return Return

# Return sent by another program answers the question it is aimed at, once. Aimed at the
# About window while the question has the focus (XSendEvent), it answers nothing. Aimed at the
# question, xdotool presses Return on the keyboard (XTEST); Oui closes the question, and the
# release xdotool then sends to it fails with it gone: the X server goes on repeating the key,
# which answers neither the next box nor "Mise à jour" behind it. (Wine receives xdotool's
# keys as sent events, not as a key held down: the case is the X server's.)
if [ -z "${MONVALOR_EXE:-}" ]; then
annoncer 2.0 /site/Absent
verifier
attendre_boite "no question before the keyboard case"
QUESTION="$(boites | head -n 1)"
xdotool key --window "$(fenetres_apropos | head -n 1)" Return
sleep 0.5
attendu "$(boites) $(demandes)" "$QUESTION /site/$ANNONCE /site/$ANNONCE.sig" "a Return aimed elsewhere"
xdotool key --window "$QUESTION" Return 2>/dev/null || true
une_autre_boite() { boites | grep -qvx "$QUESTION"; }
attendre 20 "no message for the missing updater" une_autre_boite
sleep 1.5
xdotool keyup Return
attendu "$(demandes)" "/site/$ANNONCE /site/$ANNONCE.sig /site/Absent" "the repeated Return"
une_boite "the repeated Return" Return
fi

if [ -z "${MONVALOR_EXE:-}" ]; then
    # Started under umask 000, Monvalor still keeps its folder and files to itself, and a link
    # planted at its copy's name lends it nothing and changes nothing behind it.
    DONNEES="$XDG_DATA_HOME/Monvalor"
    attendu "$(stat -c %a "$DONNEES" "$DONNEES/QUIVSock.dat" | paste -sd ' ')" "700 600" "rights"
    printf 'cible' >"$TRAVAIL/cible"
    chmod 4777 "$TRAVAIL/cible"
    ln -sf "$TRAVAIL/cible" "$DONNEES/QUIVSock.dat"
    annoncer "$VERSION" /site/MonvalorUpdate
    verifier
    une_boite "planted link" Return
    attendu "$(stat -c '%F %a' "$DONNEES/QUIVSock.dat")" "regular file 600" "the new copy"
    attendu "$(cat "$TRAVAIL/cible") $(stat -c %a "$TRAVAIL/cible")" "cible 4777" "behind the link"
fi

# The genuine one, slowly: the download window shows, then the updater starts from exactly
# the verified bytes, for the program's folder, and Monvalor ends.
annoncer 2.0 /site-lent/MonvalorUpdate
verifier
attendre_boite "no question before the genuine updater"
repondre Return
attendre 10 "the download window did not appear" il_y_a fenetres_telechargement
attendre 20 "the updater did not start" test -s "$MARQUE"
if [ -n "${MONVALOR_EXE:-}" ]; then
    attendu "$(tr -d '\r' <"$MARQUE")" "started from $DEPART" "mark of the updater"
    cmp -s "$TRAVAIL/programme/$RESTE" "$S/MonvalorUpdate" || echec "the updater is not whole"
else
    attendu "$(cat "$MARQUE")" "started from $DEPART in $DEPART" "mark of the updater"
fi
attendre 10 "Monvalor did not end after starting the updater" termine "$LANCE"
attendu "$(contenu)" "$(printf '%s\n' $RESTE $PROGRAMME | LC_ALL=C sort | paste -sd ' ')" \
    "files left"
echo "1 passed, 0 failed"
