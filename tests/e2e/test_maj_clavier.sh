#!/usr/bin/env bash
# Return sent by another program to the update check's question answers that question, once:
# neither a key event aimed at the About window nor the Return the X server goes on repeating
# answers a box, and the check runs once.
if [ -z "${MONVALOR_TEST_SITE:-}" ]; then
    exec bash "$(dirname "$0")/../reseau/avec_serveur.sh" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

PORT="${MONVALOR_TEST_PORTS#https=}"
PORT="${PORT%% *}"
SITE="https://127.0.0.1:$PORT"
export MONVALOR_SITE="$SITE/site" MONVALOR_CERTIFICATS="$MONVALOR_TEST_CERTIFICAT"
# A newer version whose updater is not on the site: Oui brings a message.
printf 'Version 9.0\r\n%s/site/Absent\r\nUne nouvelle version est disponible.\r\n' "$SITE" \
    >"$MONVALOR_TEST_SITE/version.txt"

boites() { xdotool search --onlyvisible --name '^Monvalor$' 2>/dev/null || true; }
demandes() { paste -sd ' ' "$MONVALOR_TEST_REQUETES"; }
une_autre_boite() { boites | grep -qvx "$QUESTION"; }

LANG=C.UTF-8
export LANG
# The Windows program under Wine: Wine's desktop process belongs to the display it was started
# with, none yet here.
[ -z "${MONVALOR_EXE:-}" ] || wineserver -k 2>/dev/null || true
demarrer_x
lancer
attendre_apropos
APROPOS="$(fenetres_apropos | head -n 1)"
: >"$MONVALOR_TEST_REQUETES"
cliquer_dans "$APROPOS" 40 88
attendre 20 "no question for a newer version" il_y_a boites
QUESTION="$(boites | head -n 1)"

# Aimed at the About window while the question has the focus (XSendEvent): nothing answers.
xdotool key --window "$APROPOS" Return
sleep 0.5
attendu "$(boites) $(demandes)" "$QUESTION /site/version.txt" "after a Return aimed at the About window"

# Aimed at the question, which has the focus: xdotool presses Return on the keyboard (XTEST),
# Oui closes the question, and the release xdotool then sends to the question fails with it
# gone. The key stays down: the X server repeats it, 25 times a second after 0.66 s.
xdotool key --window "$QUESTION" Return 2>/dev/null || true
attendre 20 "no message for the missing updater" une_autre_boite
sleep 1.5
xdotool keyup Return
attendu "$(demandes)" "/site/version.txt /site/Absent" "what the check asked for"
une_autre_boite || echec "the message for the missing updater was answered by the repeats"
echo "1 passed, 0 failed"
