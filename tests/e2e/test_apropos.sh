#!/usr/bin/env bash
# Every start shows the About window first; the converter window appears only once it is
# closed, with Enter, Esc or a click on OK. The watcher already runs behind it.
source "$(dirname "$0")/lib.sh"
demarrer_x

# Closes the running copy, so that the next start is a first one again.
arreter() {
    kill "$LANCE" 2>/dev/null || true
    wait "$LANCE" 2>/dev/null || true
}

# An amount on the clipboard at start is taken while the About window is open.
copier "42"
lancer
attendre_apropos
attendu "$(fenetres_apropos | wc -l)" "1" "About windows at start"
attendre_pris "42 was not taken while the About window was open"
attendre_lignes 1
attendu "$(derniere_ligne | cut -f1-3)" "42${TAB}6,4${TAB}275,5" "boxes after 42"
attendu "$(fenetres | wc -l)" "0" "converter windows while the About window is open"
attendu "$(presse_papier)" "" "clipboard while the About window is open"
touches_apropos Return
attendre_apropos_ferme
attendre_fenetre
attendu "$(fenetres | wc -l)" "1" "converter windows after Enter"
attendu "$(nombre_lignes)" "1" "amounts taken"
kill -0 "$LANCE" || echec "the program ended with the About window"
arreter

# Esc closes it too.
lancer
attendre_apropos
sleep 0.3
attendu "$(fenetres | wc -l)" "0" "converter windows before Esc"
touches_apropos Escape
attendre_apropos_ferme
attendre_fenetre
arreter

# And a click on OK: 4320, 3945 twips from the corner, 1260 × 345 twips.
lancer
attendre_apropos
w="$(fenetres_apropos | head -n 1)"
cliquer_dans "$w" 330 274
attendre_apropos_ferme
attendre_fenetre
kill -0 "$LANCE" || echec "the program ended after a click on OK"
arreter

# Tab reaches the site's link after the three buttons, and Enter opens it as a click does,
# through the desktop's opener (here one that notes what it was given); OK stays unpressed.
mkdir "$TRAVAIL/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$TRAVAIL/ouverts" >"$TRAVAIL/bin/xdg-open"
chmod +x "$TRAVAIL/bin/xdg-open"
export PATH="$TRAVAIL/bin:$PATH" MONVALOR_SITE="https://site.test/e2e"
lancer
attendre_apropos
touches_apropos Tab Tab Tab Return
attendre 20 "the site was not opened" test -s "$TRAVAIL/ouverts"
attendu "$(cat "$TRAVAIL/ouverts")" "$MONVALOR_SITE" "what Enter opened"
attendu "$(fenetres_apropos | wc -l)" "1" "About windows after Enter on the link"
echo "1 passed, 0 failed"
