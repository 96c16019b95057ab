#!/usr/bin/env bash
# When the windows cannot open, Monvalor says why in one line and ends with status 2: no
# display at all, a display that does not answer, or Qt's module for the platform missing.
source "$(dirname "$0")/lib.sh"
unset DISPLAY
while IFS='|' read -r environnement cause; do
    set +e
    sortie="$(env $environnement "$MONVALOR" 2>&1 >/dev/null)"
    code=$?
    set -e
    attendu "$code" 2 "status with [$environnement]"
    attendu "$(printf '%s\n' "$sortie" | wc -l)" 1 "lines told with [$environnement]: $sortie"
    case "$sortie" in
    "monvalor : $cause ; pour convertir sans fenêtre : monvalor --convertir MONTANT") ;;
    *) echec "with [$environnement]: got [$sortie], expected the cause [$cause]" ;;
    esac
done <<'CAS'
A=1|une session graphique est nécessaire (aucun affichage disponible)
DISPLAY=:77|l'affichage « :77 » ne répond pas
WAYLAND_DISPLAY=absent|l'affichage « absent » ne répond pas
QT_QPA_PLATFORM=absent DISPLAY=:77|le module d'affichage « absent » de Qt n'est pas installé
CAS
echo "1 passed, 0 failed"
