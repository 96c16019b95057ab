#!/usr/bin/env bash
# Monvalor in a Wayland session (sway, headless): amounts copied in a Wayland program while
# another Wayland window has the focus, read over data-control with the windows on XWayland or
# on Wayland, or through XWayland once the focus comes to an X window; never a loop.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wayland.sh"
demarrer_sway
NNBSP=$'\u202f'
NBSP=$'\u00a0'

arreter() {
    kill "$LANCE" 2>/dev/null || true
    wait "$LANCE" 2>/dev/null || true
    rm -f "$MONVALOR_JOURNAL"
}

# Data-control, the windows on XWayland: what sway users get by default.
echo "-- data-control, windows on XWayland"
lancer_dans_session
fermer_apropos_comme
ouvrir_foot
copier_wayland "1${NNBSP}234,56${NNBSP}€"
attendre_lignes 1
attendu "$(derniere_ligne | cut -f1-3)" "1${NBSP}234,56${NBSP}€${TAB}188,21${TAB}8098,18" "boxes after an amount written by ICU"
attendre 3 "the Wayland clipboard was not emptied" il_n_y_a_pas presse_papier_wayland
a_le_focus travail || echec "the focus left the program the user works in"
attendre 3 "Monvalor did not ask for attention" est_urgente Monvalor
copier_wayland "bonjour"
sleep 1.2
attendu "$(presse_papier_wayland)" "bonjour" "Wayland clipboard after copying a word"
attendu "$(nombre_lignes)" 1 "amounts taken after the word"
arreter

# Through XWayland alone (as under GNOME): the compositor refuses the clipboard to X programs
# while a Wayland window has the focus; the amount is taken when the focus comes to Monvalor.
echo "-- XWayland alone"
lancer_dans_session MONVALOR_PRESSE_PAPIER=x11
fermer_apropos_comme
swaymsg '[title="^travail$"] focus' >/dev/null
copier_wayland "12.50"
sleep 1.2
attendu "$(nombre_lignes)" 0 "amounts taken while the compositor refuses"
swaymsg '[title="^Monvalor$"] focus' >/dev/null
attendre_lignes 1
attendu "$(derniere_ligne | cut -f1)" "12,50" "amount taken once the focus came"
attendre 3 "the clipboard was not emptied through XWayland" il_n_y_a_pas presse_papier_wayland
arreter

# The windows on Wayland, each clipboard service in turn: one copy is one take, and the
# program stays idle afterwards, whether its emptying reaches the owner or not.
temps_cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
for service in data-control qt; do
    echo "-- windows on Wayland, $service"
    lancer_dans_session QT_QPA_PLATFORM=wayland DISPLAY= MONVALOR_PRESSE_PAPIER="$service"
    attendre 15 "the About window did not appear ($service)" il_y_a fenetre_sway "À propos de Monvalor"
    swaymsg '[title="^À propos de Monvalor$"] kill' >/dev/null
    attendre 10 "the converter did not appear ($service)" a_le_focus Monvalor
    copier_wayland "12.50"
    attendre_lignes 1
    avant="$(temps_cpu "$LANCE")"
    sleep 2
    attendu "$(nombre_lignes)" 1 "takes of one copy ($service)"
    [ $(($(temps_cpu "$LANCE") - avant)) -lt 20 ] || echec "Monvalor kept busy after one copy ($service)"
    if [ "$service" = data-control ]; then
        # A second start in the same session, its windows on XWayland this time, knows the
        # first and hands its "0" over through data-control.
        premier=$LANCE
        lancer_dans_session
        attendre 5 "the second copy did not end" termine "$LANCE"
        attendre_lignes 2
        attendu "$(derniere_ligne | cut -f1-3)" "0${TAB}0${TAB}0" "boxes after a second start"
        LANCE=$premier
    fi
    arreter
done
echo "1 passed, 0 failed"
