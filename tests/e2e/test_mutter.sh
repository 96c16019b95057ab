#!/usr/bin/env bash
# Monvalor under GNOME's Mutter (headless), which offers no data-control: the clipboard is
# watched through XWayland. Headless Mutter has no keyboard seat, so no Wayland program can
# copy there (wl-copy refuses); an X program's copy stands for one.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wayland.sh"
demarrer_mutter

lancer_dans_session
fermer_apropos_comme
printf '1\u202f234,56\u00a0€' | comme xclip -selection clipboard
attendre_lignes 1
attendu "$(derniere_ligne | cut -f2,3)" "188,21${TAB}8098,18" "euros and francs of an amount copied under Mutter"
attendre 3 "the clipboard was not emptied under Mutter" il_n_y_a_pas comme timeout 5 xclip -selection clipboard -o
if printf x | comme timeout 5 wl-copy 2>/dev/null; then
    echec "wl-copy now works under headless Mutter: copy from a Wayland program here too"
fi
echo "SKIP (part): a Wayland program's copy under Mutter, which has no keyboard seat headless"
echo "1 passed, 0 failed"
