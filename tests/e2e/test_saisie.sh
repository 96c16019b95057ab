#!/usr/bin/env bash
# Typing in "Montant libre" and changing "Taux" convert again through the clipboard.
source "$(dirname "$0")/lib.sh"
ouvrir_convertisseur

# Montant libre is the last row: 1920 twips down, boxes from 1080 twips across.
cliquer_dans "$FENETRE" 100 135
sleep 0.2
xdotool type --delay 80 "100"
sleep 1
attendu "$(derniere_ligne)" "100${TAB}15,24${TAB}655,96${TAB}19,6${TAB}19,6${TAB}83,61${TAB}119,6${TAB}80,4${TAB}100" "boxes after typing 100"

# Taux row: 720 twips down. Replace 19,6 by 5,5.
cliquer_dans "$FENETRE" 100 55
sleep 0.2
xdotool key ctrl+a
xdotool type --delay 80 "5,5"
sleep 1
attendu "$(derniere_ligne | cut -f1,4,5)" "100${TAB}5,5${TAB}5,5" "amount, rate and tax after the rate change"
attendu "$(derniere_ligne | cut -f6,7,8)" "94,79${TAB}105,5${TAB}94,5" "before tax, with tax, reduction at 5,5"
attendu "$(presse_papier)" "" "clipboard after the free entry"
echo "1 passed, 0 failed"
