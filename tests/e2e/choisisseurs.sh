#!/usr/bin/env bash
# The choosers as a user meets them: each one opens on a private X server, keys and clicks
# choose or give up, and the test program prints what came back.
#   choisisseurs.sh PATH_TO_CHOISISSEURS
source "$(dirname "$0")/lib.sh"
demarrer_x
# Accented names travel as UTF-8 between the tools and the program.
export HOME="$TRAVAIL/home" LANG=C.UTF-8
mkdir -p "$HOME/Documents/Factures" "$HOME/Vacances été"
echo "1;2" >"$HOME/Vacances été/releve.csv"

# choisir MODE ARGS... : opens the chooser, waits for its window and leaves its id in FENETRE.
choisir() {
    "$MONVALOR" "$@" >"$TRAVAIL/sortie" 2>"$TRAVAIL/erreurs" &
    LANCE=$!
    PIDS+=("$LANCE")
    attendre 15 "the chooser did not appear" il_y_a fenetres_choix
    FENETRE="$(fenetres_choix | head -n 1)"
    xdotool windowfocus --sync "$FENETRE"
}
fenetres_choix() {
    xdotool search --onlyvisible --name "^${TITRE}\$" 2>/dev/null || true
}
# The value the program printed for the name, once it ended.
rendu() {
    attendre 10 "the chooser did not close" termine "$LANCE"
    sed -n "s/^$1=//p" "$TRAVAIL/sortie"
}
# Clicks at a point of the window given in twips, as the designs place controls.
cliquer() {
    xdotool mousemove --window "$FENETRE" $(($1 / 15)) $(($2 / 15)) click 1
}
taper() {
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$1"
}

TITRE="Sélectionnez un répertoire"
# Enter takes the folder the lists show, accents and all; Esc gives up. (Typed texts stay in
# ASCII: xdotool types other characters by remapping a key, which a busy machine may lose.)
choisir repertoire "$HOME/Vacances été"
xdotool key --clearmodifiers Return
attendu "$(rendu Repertoire)" "$HOME/Vacances été" "folder after Enter"
choisir repertoire "$HOME/Documents"
xdotool key --clearmodifiers Escape
attendu "$(rendu Repertoire)" "" "folder after Esc"

# A path typed and applied with "Ok" moves the lists; OK then returns it.
choisir repertoire "$HOME"
cliquer 2000 270
taper "$HOME/Documents/Factures"
cliquer 4260 240
cliquer 720 4860
attendu "$(rendu Repertoire)" "$HOME/Documents/Factures" "folder typed and applied"

# A path typed but not applied does not count: Enter returns what the lists show.
choisir repertoire "$HOME/Documents"
cliquer 2000 270
taper "$HOME/Documents/Factures"
xdotool key --clearmodifiers Return
attendu "$(rendu Repertoire)" "$HOME/Documents" "folder typed, not applied"

# The desktop's file dialog, in French: a typed name opens; the chosen pair, the file's name and
# where its extension starts come back.
TITRE="Ouvrir un relevé"
FILTRE="Textes (*.txt)|*.txt|Tableaux (*.csv)|*.csv"
choisir ouvrir "$TITRE" "$FILTRE" 2 "$HOME/Vacances été" "" ""
taper "releve.csv"
xdotool key --clearmodifiers Return
attendu "$(rendu CancelError)" "0" "cancel after opening"
attendu "$(rendu FileName)" "$HOME/Vacances été/releve.csv" "file opened"
attendu "$(rendu FileTitle)" "releve.csv" "name of the file opened"
attendu "$(rendu FilterIndex)" "2" "filter pair"
# Counted in the core's characters: "é" is one.
chemin="$HOME/Vacances été/releve."
attendu "$(rendu FileExt)" "${#chemin}" "where the extension starts"

# Saving adds the default extension to a name typed without one.
TITRE="Enregistrer les notes"
choisir enregistrer "$TITRE" "$FILTRE" 1 "$HOME/Documents" "brouillon.txt" "txt"
taper "$HOME/Documents/notes"
xdotool key --clearmodifiers Return
attendu "$(rendu FileName)" "$HOME/Documents/notes.txt" "file saved"
attendu "$(rendu FileTitle)" "notes.txt" "name of the file saved"

# Esc gives up and keeps the name proposed.
choisir enregistrer "$TITRE" "$FILTRE" 1 "$HOME/Documents" "brouillon.txt" "txt"
xdotool key --clearmodifiers Escape
attendu "$(rendu CancelError)" "1" "cancel after Esc"
attendu "$(rendu FileName)" "brouillon.txt" "name after Esc"

echo "7 passed, 0 failed"
