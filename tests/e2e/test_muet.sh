#!/usr/bin/env bash
# Another program takes the clipboard and then freezes. Monvalor keeps answering: what is typed
# in "Montant libre" is converted, and the first amount copied once that program has gone is
# taken at once.
source "$(dirname "$0")/lib.sh"
ouvrir_convertisseur

prendre_et_se_taire
sleep 1.2 # a few ticks find the owner silent

cliquer_dans "$FENETRE" 100 135
xdotool type --delay 80 "250"
attendre 3 "typing was not converted while a frozen program owned the clipboard" \
    dernier_montant 250
attendu "$(derniere_ligne | cut -f1-3)" "250${TAB}38,11${TAB}1639,89" "boxes after typing 250"

# A frozen program takes the clipboard again, then it is ended.
prendre_et_se_taire
sleep 1.2
kill "$MUET_PID"
copier "42"
attendre_pris "the first amount after the frozen program ended was not taken" 1
attendu "$(derniere_ligne | cut -f1)" "42" "amount after the frozen program"
kill -0 "$LANCE" || echec "the program ended"
echo "1 passed, 0 failed"
