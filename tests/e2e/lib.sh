# Helpers for the end-to-end tests: a private X server, the real program, and the clipboard
# tools a user's other programs would use.
# shellcheck shell=bash
set -euo pipefail

MONVALOR="${1:?usage: test_x.sh PATH_TO_MONVALOR}"
TRAVAIL="$(mktemp -d)"
export XDG_RUNTIME_DIR="$TRAVAIL/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export MONVALOR_JOURNAL="$TRAVAIL/journal"
# Settings and data of the run stay in the work folder; the font cache stays shared.
export XDG_CONFIG_HOME="$TRAVAIL/config" XDG_DATA_HOME="$TRAVAIL/data"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
PIDS=()

nettoyer() {
    local p
    for p in "${PIDS[@]}"; do
        kill "$p" 2>/dev/null || true
    done
    pkill -f "$TRAVAIL" 2>/dev/null || true
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$TRAVAIL"
}
trap nettoyer EXIT

echec() {
    echo "ECHEC: $*" >&2
    if [ -f "$MONVALOR_JOURNAL" ]; then
        echo "--- journal" >&2
        cat "$MONVALOR_JOURNAL" >&2
    fi
    exit 1
}

# Starts Xvfb on a display it picks itself (-displayfd) and exports DISPLAY.
demarrer_x() {
    Xvfb -displayfd 5 -screen 0 800x600x24 -nolisten tcp 5>"$TRAVAIL/affichage" \
        >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1 100); do
        if [ -s "$TRAVAIL/affichage" ]; then
            export DISPLAY=":$(head -n 1 "$TRAVAIL/affichage")"
            if xdpyinfo >/dev/null 2>&1; then
                return 0
            fi
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    echec "no X server could be started"
}

# Starts a copy of Monvalor in the background; its pid is in LANCE.
lancer() {
    "$MONVALOR" "$@" >>"$TRAVAIL/sortie" 2>&1 &
    LANCE=$!
    PIDS+=("$LANCE")
}

# Window ids of the converter windows on the display.
fenetres() {
    xdotool search --onlyvisible --name '^Monvalor$' 2>/dev/null || true
}

attendre_fenetre() {
    for _ in $(seq 1 300); do
        if [ -n "$(fenetres)" ]; then
            return 0
        fi
        sleep 0.05
    done
    echec "the converter window did not appear"
}

copier() {
    printf '%s' "$1" | xclip -selection clipboard -i
}

# The clipboard's text, or nothing when it holds no text.
presse_papier() {
    xclip -selection clipboard -o 2>/dev/null || true
}

# Waits until the clipboard holds no text (the program took the amount); fails after $1 s.
attendre_pris() {
    local limite=$(( ${1:-3} * 20 ))
    for _ in $(seq 1 "$limite"); do
        if [ -z "$(presse_papier)" ]; then
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# The last journal line's boxes: Montant Euros Francs Taux TVA HT TTC Reduction Libre.
derniere_ligne() {
    tail -n 1 "$MONVALOR_JOURNAL" 2>/dev/null | cut -f2-
}

nombre_lignes() {
    if [ -f "$MONVALOR_JOURNAL" ]; then
        wc -l <"$MONVALOR_JOURNAL"
    else
        echo 0
    fi
}

attendre_lignes() {
    local voulu="$1"
    for _ in $(seq 1 60); do
        if [ "$(nombre_lignes)" -ge "$voulu" ]; then
            return 0
        fi
        sleep 0.05
    done
    echec "expected $voulu amounts taken, journal has $(nombre_lignes)"
}

attendu() {
    local obtenu="$1" voulu="$2" quoi="$3"
    if [ "$obtenu" != "$voulu" ]; then
        echec "$quoi: got [$obtenu], expected [$voulu]"
    fi
}
