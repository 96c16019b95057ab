#!/usr/bin/env bash
# A clipboard manager that puts back what was emptied, as KDE's Klipper does by default: the
# amount taken comes back at once, may be taken a second time (the user may have copied it
# again) and is then left there, not taken again and again; the same amount copied again
# later is taken, and so is the free amount put back by a change of rate.
source "$(dirname "$0")/lib.sh"
ouvrir_convertisseur

# The manager remembers the last copy (told here, as Klipper keeps its history) and puts it
# back whenever the clipboard is empty.
gardien() {
    while :; do
        if [ -z "$(presse_papier)" ] && [ -s "$TRAVAIL/dernier" ]; then
            xclip -selection clipboard -i "$TRAVAIL/dernier"
        fi
        sleep 0.02
    done
}
gardien &
PIDS+=("$!")

printf 12.50 >"$TRAVAIL/dernier"
copier "12.50"
attendre_lignes 1
sleep 2
attendu "$(nombre_lignes)" 2 "takes of one amount the manager puts back"
attendu "$(presse_papier)" "12.50" "clipboard kept by the manager"
copier "12.50"
attendre_lignes 3

# Without a manager, the free amount, then a new rate within the second: converted twice,
# though the same text is put back on the clipboard.
kill "${PIDS[-1]}"
cliquer_dans "$FENETRE" 100 135
xdotool type --delay 50 "8"
attendre 3 "typing was not converted" dernier_montant 8
cliquer_dans "$FENETRE" 100 55
xdotool key --clearmodifiers BackSpace
attendre 3 "the new rate was not applied" eval '[ "$(derniere_ligne | cut -f4)" = "19," ]'
kill -0 "$LANCE" || echec "the program ended"
echo "1 passed, 0 failed"
