#!/usr/bin/env bash
# Monvalor under KDE's KWin (virtual back-end): an amount copied in a Wayland program is read
# over data-control, the windows on XWayland, and once only.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wayland.sh"
demarrer_kwin
NNBSP=$'\u202f'
NBSP=$'\u00a0'

lancer_dans_session
fermer_apropos_comme
copier_wayland "1${NNBSP}234,56${NNBSP}€"
attendre_lignes 1
attendu "$(derniere_ligne | cut -f1-3)" "1${NBSP}234,56${NBSP}€${TAB}188,21${TAB}8098,18" "boxes after an amount written by ICU"
copier_wayland "bonjour"
sleep 1.2
attendu "$(presse_papier_wayland)" "bonjour" "Wayland clipboard after copying a word"
attendu "$(nombre_lignes)" 1 "amounts taken"
echo "1 passed, 0 failed"
