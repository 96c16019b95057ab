#!/usr/bin/env bash
# A user copies amounts and words in another program; the converter takes the amounts only.
source "$(dirname "$0")/lib.sh"
ouvrir_convertisseur

copier "12.50"
attendre_pris "12.50 was not taken from the clipboard"
attendre_lignes 1
attendu "$(derniere_ligne)" "12,50${TAB}1,91${TAB}81,99${TAB}19,6${TAB}2,45${TAB}10,45${TAB}14,95${TAB}10,05${TAB}" "boxes after 12.50"

# The same amount copied again is taken again, since the first taking emptied the clipboard.
copier "12.50"
attendre_pris "the second 12.50 was not taken"
attendre_lignes 2

# A spreadsheet cell, grouped digits and a euro sign.
copier $'1 234,56 \xe2\x82\xac\n'
attendre_pris "a grouped amount with a euro sign was not taken"
attendre_lignes 3
attendu "$(derniere_ligne | cut -f2,3)" "188,21${TAB}8098,18" "euros and francs of 1 234,56"

# A price as a browser writes it: narrow no-break spaces between the digit groups and before
# the euro sign.
copier $'1\u202f234,56\u202f\u20ac'
attendre_pris "an amount written by a browser was not taken"
attendre_lignes 4
attendu "$(derniere_ligne | cut -f1,2)" $'1\u00a0234,56\u00a0\u20ac\t188,21' "boxes after a browser's amount"

# A word, and "1.234,56" (two separators once normalised), stay on the clipboard untouched.
for texte in "bonjour" "1.234,56"; do
    copier "$texte"
    sleep 1.2
    attendu "$(presse_papier)" "$texte" "clipboard after copying $texte"
done
attendu "$(nombre_lignes)" "4" "amounts taken after the words"

kill -0 "$LANCE" || echec "the program ended"
echo "1 passed, 0 failed"
