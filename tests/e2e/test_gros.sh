#!/usr/bin/env bash
# A 10 MB text and an image on the clipboard are no amounts: Monvalor leaves them there, keeps
# answering, and takes the next amount copied.
source "$(dirname "$0")/lib.sh"
ouvrir_convertisseur

# Ten megabytes of a log, which other programs hand over in pieces.
head -c 10000000 /dev/zero | tr '\0' 'x' >"$TRAVAIL/gros"
xclip -selection clipboard -i "$TRAVAIL/gros"
sleep 1.5
# xclip has no time-out of its own: on a busy machine, two readers of one large text at the
# same moment can leave one of them waiting for good. Read it again rather than hang.
octets=0
for _ in 1 2 3; do
    octets="$(timeout 20 xclip -selection clipboard -o 2>/dev/null | wc -c)"
    [ "$octets" = "10000000" ] && break
done
attendu "$octets" "10000000" "clipboard bytes after copying 10 MB"
cliquer_dans "$FENETRE" 100 135
xdotool type --delay 80 "7"
attendre 3 "typing was not converted after a 10 MB copy" dernier_montant 7

# A picture only.
convert -size 8x8 xc:red "$TRAVAIL/image.png"
xclip -selection clipboard -i -t image/png "$TRAVAIL/image.png"
sleep 1.2
xclip -selection clipboard -o -t TARGETS | grep -q image/png ||
    echec "the image left the clipboard"

copier "12,5"
attendre_pris "an amount copied after the image was not taken"
attendu "$(derniere_ligne | cut -f1)" "12,5" "amount after the image"
attendu "$(nombre_lignes)" "2" "amounts taken"
kill -0 "$LANCE" || echec "the program ended"
echo "1 passed, 0 failed"
