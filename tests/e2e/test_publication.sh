#!/usr/bin/env bash
# The whole update: scripts/publier signs and lays out the next revision in the folder of a
# loopback https site, with a key made for the run; an installation of this version asks,
# downloads, and ends up running the new one. Also what publier refuses, and, on Linux, the
# updater run by hand from its descriptor. MONVALOR_SUIVANT names the program of the next
# revision (tests/CMakeLists.txt builds it).
if [ -z "${MONVALOR_TEST_SITE:-}" ]; then
    exec bash "$(dirname "$0")/../reseau/avec_serveur.sh" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

RACINE="$(cd "$(dirname "$0")/../.." && pwd)"
SUIVANT="${MONVALOR_SUIVANT:?MONVALOR_SUIVANT names the program of the next revision}"
PORT="${MONVALOR_TEST_PORTS#https=}"
PORT="${PORT%% *}"
SITE="https://127.0.0.1:$PORT/site"
export MONVALOR_SITE="$SITE" MONVALOR_CERTIFICATS="$MONVALOR_TEST_CERTIFICAT"
LANG=C.UTF-8
export LANG

# The keys of the run, outside the repository.
cle() { openssl ecparam -name "$1" -genkey -noout -out "$2" 2>/dev/null; }
cle prime256v1 "$TRAVAIL/cle.pem"
openssl ec -in "$TRAVAIL/cle.pem" -pubout -out "$TRAVAIL/cle-publique.pem" 2>/dev/null
export MONVALOR_CLE_MAJ="$TRAVAIL/cle-publique.pem"

publier() {
    "$RACINE/scripts/publier" --cle "$TRAVAIL/cle.pem" --cle-publique "$MONVALOR_CLE_MAJ" \
        --site "$SITE" --dossier "$MONVALOR_TEST_SITE" "$@" >"$TRAVAIL/publier" 2>&1
}
# Every file of a site folder and its bytes, hidden ones included.
etat_site() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0r sha256sum); }
# refuse WHY ARGS...: publier fails, says why, and the site folder has not changed.
refuse() {
    local pourquoi="$1" avant
    shift
    avant="$(etat_site "$MONVALOR_TEST_SITE")"
    if publier "$@"; then
        echec "published with $*"
    fi
    grep -qF -- "$pourquoi" "$TRAVAIL/publier" ||
        echec "with $*: expected « $pourquoi », got: $(cat "$TRAVAIL/publier")"
    attendu "$(etat_site "$MONVALOR_TEST_SITE")" "$avant" "the site folder after a refusal ($*)"
}
signature_valable() {
    base64 -d "$1.sig" >"$TRAVAIL/sig.der" &&
        openssl dgst -sha256 -verify "$MONVALOR_CLE_MAJ" -signature "$TRAVAIL/sig.der" "$1" \
            >/dev/null 2>&1
}
# annonce_attendue UPDATER_PATH: the announcement's bytes for it, default message.
annonce_attendue() {
    printf 'Version %s\r\n%s/%s#sha256=%s\r\n%s\r\n%s\r\n' "$NOUVELLE" "$SITE" "$1" \
        "$(sha256sum "$MONVALOR_TEST_SITE/$1" | cut -d' ' -f1)" \
        "Une nouvelle version de Monvalor est disponible." "Voulez-vous l'installer ?"
}

boites() {
    # While the About window is open, the only other window called "Monvalor" is a message box.
    xdotool search --onlyvisible --name '^Monvalor$' 2>/dev/null || true
}
# Clicks "Mise à jour" (120, 1080 twips from the corner, 975 × 495 twips) and answers Oui.
mettre_a_jour() {
    cliquer_dans "$(fenetres_apropos | head -n 1)" 40 88
    attendre 20 "no question after « Mise à jour »" il_y_a boites
    local w
    w="$(boites | head -n 1)"
    xdotool windowfocus --sync "$w"
    xdotool key --clearmodifiers Return
}

if [ -n "${MONVALOR_EXE:-}" ]; then
    # Under Wine, in a prefix of the test's own (made once the X server runs: Wine's desktop
    # belongs to the display it starts on). The installer of this build installs this version;
    # the updater of the next one is this build's updater configuration with that program in
    # place of this one.
    CONSTRUCTION="$(dirname "$MONVALOR_EXE")"
    MONVALOR_WINE="${MONVALOR_WINE:-wine}"
    export WINEPREFIX="$TRAVAIL/wine"
    trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; MONVALOR_EXE=; nettoyer' EXIT
    demarrer_x
    wineboot -i >/dev/null 2>&1
    wineserver -w
    ANCIENNE="$("$MONVALOR_WINE" "$MONVALOR_EXE" --version | tr -d '\r' | cut -d' ' -f2)"
    NOUVELLE="$("$MONVALOR_WINE" "$SUIVANT" --version | tr -d '\r' | cut -d' ' -f2)"
    printf 'file(COPY_FILE "%s" "${CPACK_TEMPORARY_DIRECTORY}/programme/monvalor.exe")\n' \
        "$SUIVANT" >"$TRAVAIL/suivante.cmake"
    cpack -G NSIS --config "$CONSTRUCTION/CPackConfig.cmake" -B "$TRAVAIL/paquets" \
        >"$TRAVAIL/cpack" 2>&1 || echec "cpack: $(cat "$TRAVAIL/cpack")"
    cpack -G NSIS --config "$CONSTRUCTION/CPackConfigMiseAJour.cmake" -B "$TRAVAIL/paquets" \
        -D CPACK_PACKAGE_VERSION="$NOUVELLE" -D CPACK_PRE_BUILD_SCRIPTS="$TRAVAIL/suivante.cmake" \
        >"$TRAVAIL/cpack" 2>&1 || echec "cpack: $(cat "$TRAVAIL/cpack")"

    "$MONVALOR_WINE" "$TRAVAIL/paquets/monvalor-$ANCIENNE-setup.exe" /S
    wineserver -w
    MONVALOR_EXE="$WINEPREFIX/drive_c/Program Files/Monvalor/monvalor.exe"
    version_installee() { "$MONVALOR_WINE" "$MONVALOR_EXE" --version | tr -d '\r'; }
    nouvelle_installee() { [ "$(version_installee)" = "Monvalor $NOUVELLE" ]; }
    attendu "$(version_installee)" "Monvalor $ANCIENNE" "version installed by the installer"

    # The interactive installer is no updater: started hidden, it would wait for a click.
    refuse "n'est pas l'installateur de mise à jour" --seulement windows --version "$NOUVELLE" \
        --installateur "$TRAVAIL/paquets/monvalor-$ANCIENNE-setup.exe"
    publier --seulement windows --installateur "$TRAVAIL/paquets/monvalor-$NOUVELLE-mise-a-jour.exe" \
        --version "$NOUVELLE" || echec "publier failed: $(cat "$TRAVAIL/publier")"
    for f in "$NOUVELLE/MonvalorUpdate.exe" version.txt; do
        signature_valable "$MONVALOR_TEST_SITE/$f" || echec "the signature of $f does not verify"
    done
    cmp -s <(annonce_attendue "$NOUVELLE/MonvalorUpdate.exe") "$MONVALOR_TEST_SITE/version.txt" ||
        echec "announcement: $(od -c "$MONVALOR_TEST_SITE/version.txt" | head -20)"

    export MONVALOR_EXE
    lancer
    attendre_apropos
    mettre_a_jour
    attendre 60 "the old version did not end" termine "$LANCE"
    attendre 60 "the installed version was not updated" nouvelle_installee
    attendre 30 "the new version was not started" il_y_a fenetres_apropos
    echo "1 passed, 0 failed"
    exit 0
fi

ORIGINAL="$MONVALOR"
ANCIENNE="$("$MONVALOR" --version | cut -d' ' -f2)"
NOUVELLE="$("$SUIVANT" --version | cut -d' ' -f2)"
LINUX=(--seulement linux --linux-programme "$SUIVANT" --version "$NOUVELLE")

# Keys publier refuses, before it writes anything: one inside the repository, named there or
# through a link from elsewhere (whatever the file holds, its place is enough), one of another
# curve, one that is not the key the program trusts.
ln -s "$RACINE/LICENSE" "$TRAVAIL/lien.pem"
cle secp384r1 "$TRAVAIL/p384.pem"
cle prime256v1 "$TRAVAIL/autre.pem"
for cas in "$RACINE/LICENSE|dans le dépôt" "$TRAVAIL/lien.pem|dans le dépôt" \
    "$TRAVAIL/p384.pem|pas une clé ECDSA P-256" \
    "$TRAVAIL/autre.pem|pas celle que le programme connaît"; do
    refuse "${cas#*|}" "${LINUX[@]}" --cle "${cas%%|*}"
done
# Builds that are not what they are said to be, and message lines the program cannot read as
# one line of Windows-1252.
refuse "pas « Monvalor $NOUVELLE »" "${LINUX[@]}" --linux-programme "$MONVALOR"
refuse "caractère de contrôle" "${LINUX[@]}" --message $'une ligne\ndeux'
refuse "Windows-1252" "${LINUX[@]}" --message "→"

# The next revision, published: the updater, the announcement naming its digest, each signed.
publier "${LINUX[@]}" || echec "publier failed: $(cat "$TRAVAIL/publier")"
attendu "$(cd "$MONVALOR_TEST_SITE" && find . -type f | sort | paste -sd ' ')" \
    "./$NOUVELLE/MonvalorUpdate ./$NOUVELLE/MonvalorUpdate.sig ./linux/version.txt ./linux/version.txt.sig" \
    "files of the site"
for f in "$NOUVELLE/MonvalorUpdate" linux/version.txt; do
    signature_valable "$MONVALOR_TEST_SITE/$f" || echec "the signature of $f does not verify"
done
cmp -s <(annonce_attendue "$NOUVELLE/MonvalorUpdate") "$MONVALOR_TEST_SITE/linux/version.txt" ||
    echec "announcement: $(od -c "$MONVALOR_TEST_SITE/linux/version.txt" | head -20)"

# Then neither the same version nor an older one; versions are compared number by number
# (an announced x.y.1N is after x.y.N, though its text sorts before).
refuse "n'est pas plus récente" "${LINUX[@]}"
refuse "n'est pas plus récente" --seulement linux --linux-programme "$MONVALOR" \
    --version "$ANCIENNE"
IFS=. read -r majeure mineure revision <<<"$NOUVELLE"
autre_site="$TRAVAIL/autre-site"
mkdir -p "$autre_site/linux"
printf 'Version %s.%s.1%s\r\n' "$majeure" "$mineure" "$revision" >"$autre_site/linux/version.txt"
MONVALOR_TEST_SITE="$autre_site" refuse "n'est pas plus récente" "${LINUX[@]}"
# A message is written in Windows-1252, as the program reads it.
rm -r "$autre_site"
MONVALOR_TEST_SITE="$autre_site" publier "${LINUX[@]}" --message "Déjà prête : 1 €" ||
    echec "publier failed: $(cat "$TRAVAIL/publier")"
attendu "$(sed -n 3p "$autre_site/linux/version.txt" | od -An -tx1 | tr -d ' \n')" \
    "44e96ae0207072ea7465203a203120800d0a" "message line in Windows-1252"

# The updater run by hand as the program runs it: from its descriptor, the file already gone.
demarrer_x
cp "$MONVALOR_TEST_SITE/$NOUVELLE/MonvalorUpdate" "$TRAVAIL/maj"
exec 3<"$TRAVAIL/maj"
rm "$TRAVAIL/maj"
# A folder without a Monvalor program is left alone.
mkdir "$TRAVAIL/autre"
touch "$TRAVAIL/autre/document"
if (cd "$TRAVAIL/autre" && sh /dev/fd/3 "$TRAVAIL/autre") 2>/dev/null; then
    echec "the updater accepted a folder without Monvalor"
fi
attendu "$(ls -A "$TRAVAIL/autre")" "document" "a folder without Monvalor after the updater"

# An installation of one's own, with the user's own language file beside the program.
installer() {
    mkdir "$1"
    cp "$ORIGINAL" "$1/monvalor"
    printf '; mes textes\r\n' >"$1/Shared.lng"
}
# The pids of the processes running the program file of the folder.
processus_de() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/exe" 2>/dev/null)" = "$1/monvalor" ] && echo "${p#/proc/}"
    done
    return 0
}
nouvelle_en_place() { [ "$("$1/monvalor" --version)" = "Monvalor $NOUVELLE" ]; }
# verifier_installation FOLDER OLD_FILE: the new version in place of the old one, which was
# renamed away, not written over; the user's file kept, nothing of the work left; the new
# version running.
verifier_installation() {
    attendre 30 "the installed program was not updated" nouvelle_en_place "$1"
    cmp -s "$2" "$ORIGINAL" || echec "the old program's file was written over"
    attendu "$(cat "$1/Shared.lng")" "; mes textes"$'\r' "the user's language file"
    attendu "$(cd "$1" && find . | sort | paste -sd ' ')" \
        ". ./LICENSE ./Shared.lng ./lang ./lang/en ./lang/en/Monvalor.lng ./lang/en/Shared.lng ./monvalor" \
        "files of the installation"
    attendre 15 "the new version was not started" il_y_a processus_de "$1"
    local p
    for p in $(processus_de "$1"); do
        PIDS+=("$p")
    done
    attendre_apropos
}
arreter_installation() {
    local p
    for p in $(processus_de "$1"); do
        kill "$p"
    done
    attendre 10 "the program did not end" il_n_y_a_pas processus_de "$1"
}

installer "$TRAVAIL/a-la-main"
exec 4<"$TRAVAIL/a-la-main/monvalor"
(cd "$TRAVAIL/a-la-main" && sh /dev/fd/3 "$TRAVAIL/a-la-main") ||
    echec "the updater failed on an installation"
verifier_installation "$TRAVAIL/a-la-main" /dev/fd/4
arreter_installation "$TRAVAIL/a-la-main"
exec 3<&- 4<&-

# As a user meets it: the installed version asks the site, the user says Oui, the updater
# arrives, the old Monvalor ends and the new one starts in its place.
installer "$TRAVAIL/installation"
exec 4<"$TRAVAIL/installation/monvalor"
MONVALOR="$TRAVAIL/installation/monvalor"
lancer
attendre_apropos
mettre_a_jour
attendre 30 "the old version did not end" termine "$LANCE"
verifier_installation "$TRAVAIL/installation" /dev/fd/4
echo "1 passed, 0 failed"
