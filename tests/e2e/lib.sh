# Helpers for the end-to-end tests: a private X server, the real program, and the clipboard
# tools a user's other programs would use.
# shellcheck shell=bash
set -euo pipefail

MONVALOR="${1:?usage: test_x.sh PATH_TO_MONVALOR [PATH_TO_PROPRIETAIRE_MUET]}"
MUET="${2:-}"
TRAVAIL="$(mktemp -d)"
export XDG_RUNTIME_DIR="$TRAVAIL/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export MONVALOR_JOURNAL="$TRAVAIL/journal"
# Settings and data of the run stay in the work folder; the font cache stays shared.
export XDG_CONFIG_HOME="$TRAVAIL/config" XDG_DATA_HOME="$TRAVAIL/data"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
PIDS=()
TAB=$'\t'

nettoyer() {
    local p
    # Children first: a session runner (dbus-run-session) that ends before them leaves them.
    for p in "${PIDS[@]}"; do
        pkill -P "$p" 2>/dev/null || true
        kill "$p" 2>/dev/null || true
    done
    pkill -f "$TRAVAIL" 2>/dev/null || true
    # The Windows program under Wine: every process of the prefix goes, the server last. A run
    # of many tests in one prefix (scripts/windows) asks for a fresh server to wait between
    # them, so that the next Wine program does not meet one that is just going away; that run
    # ends it.
    if [ -n "${MONVALOR_EXE:-}" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        if [ -n "${MONVALOR_WINE_PERSISTANCE:-}" ]; then
            wineserver -p"$MONVALOR_WINE_PERSISTANCE" 2>/dev/null || true
        fi
    fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    # GARDER=1 keeps the work folder (journal, output, compositor logs) for a look afterwards.
    [ -n "${GARDER:-}" ] || rm -rf "$TRAVAIL"
}
trap nettoyer EXIT

echec() {
    echo "ECHEC: $*" >&2
    if [ -f "$MONVALOR_JOURNAL" ]; then
        echo "--- journal" >&2
        cat "$MONVALOR_JOURNAL" >&2
    fi
    if [ -s "$TRAVAIL/sortie" ]; then
        echo "--- output of the program" >&2
        cat "$TRAVAIL/sortie" >&2
    fi
    exit 1
}

# Starts Xvfb on a display it picks itself (-displayfd) and exports DISPLAY. -noreset: by
# default the server resets when its last client leaves, and refuses the clients that come
# during the reset, such as a copy started right after the previous one was stopped.
demarrer_x() {
    Xvfb -displayfd 5 -screen 0 800x600x24 -nolisten tcp -noreset 5>"$TRAVAIL/affichage" \
        >/dev/null 2>&1 &
    XVFB_PID=$!
    # Under Wine, a server that waits a while between the test's programs, ended with the test.
    if [ -n "${MONVALOR_EXE:-}" ]; then
        wineserver -p10 2>/dev/null || true
    fi
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

termine() { ! kill -0 "$1" 2>/dev/null; }

# Clicks at a point of a window's client area, in pixels. Under Wine with no window manager,
# the X window also holds the frame and caption that Wine draws: MONVALOR_CADRE gives their
# width and height ("4 23"), nothing for a native program.
cliquer_dans() {
    local cadre=(${MONVALOR_CADRE:-0 0})
    xdotool mousemove --window "$1" $(($2 + cadre[0])) $(($3 + cadre[1])) click 1
}

# Window ids of the converter windows on the display.
fenetres() {
    xdotool search --onlyvisible --name '^Monvalor$' 2>/dev/null || true
}

# Runs the command every 50 ms until it succeeds; fails with the message after $1 seconds.
attendre() {
    local secondes="$1" message="$2"
    shift 2
    local fin=$((${EPOCHREALTIME/./} + secondes * 1000000))
    while [ "${EPOCHREALTIME/./}" -lt "$fin" ]; do
        if "$@"; then
            return 0
        fi
        sleep 0.05
    done
    "$@" || echec "$message"
}

# Window ids of the About windows on the display (shown at every start, before the converter).
fenetres_apropos() {
    xdotool search --onlyvisible --name '^À propos de Monvalor$' 2>/dev/null || true
}

il_y_a() { [ -n "$("$@")" ]; }
il_n_y_a_pas() { [ -z "$("$@")" ]; }
attendre_fenetre() { attendre 15 "the converter window did not appear" il_y_a fenetres; }
attendre_apropos() { attendre 15 "the About window did not appear" il_y_a fenetres_apropos; }
attendre_apropos_ferme() {
    attendre 5 "the About window did not close" il_n_y_a_pas fenetres_apropos
}

# Gives the About window the keyboard, as a click on it would, then presses the keys.
touches_apropos() {
    local w
    w="$(fenetres_apropos | head -n 1)"
    [ -n "$w" ] || echec "no About window to type into"
    xdotool windowfocus --sync "$w"
    xdotool key --clearmodifiers "$@"
}

# The About window shown at start: closes it with Enter (on its OK button) and waits for the
# converter window, which appears only then.
fermer_apropos() {
    attendre_apropos
    touches_apropos Return
    attendre_apropos_ferme
    attendre_fenetre
}

# A private X server, Monvalor started on it and past its About window; the converter window's
# id is in FENETRE.
ouvrir_convertisseur() {
    demarrer_x
    lancer
    fermer_apropos
    FENETRE="$(fenetres | head -n 1)"
}

copier() {
    printf '%s' "$1" | xclip -selection clipboard -i
}

# Starts the program that takes the clipboard and never answers; its pid is in MUET_PID.
prendre_et_se_taire() {
    [ -x "$MUET" ] || echec "no clipboard owner that never answers was given"
    "$MUET" >"$TRAVAIL/muet" &
    MUET_PID=$!
    PIDS+=("$MUET_PID")
    attendre 5 "the silent owner did not take the clipboard" grep -q pret "$TRAVAIL/muet"
}

# The clipboard's text, or nothing when it holds no text.
presse_papier() {
    timeout 10 xclip -selection clipboard -o 2>/dev/null || true
}

# Waits until the clipboard holds no text, the program having taken the amount.
attendre_pris() { attendre "${2:-3}" "$1" il_n_y_a_pas presse_papier; }

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

dernier_montant() { [ "$(derniere_ligne | cut -f1)" = "$1" ]; }
au_moins_lignes() { [ "$(nombre_lignes)" -ge "$1" ]; }
attendre_lignes() {
    attendre 3 "expected $1 amounts taken" au_moins_lignes "$1"
}

attendu() {
    local obtenu="$1" voulu="$2" quoi="$3"
    if [ "$obtenu" != "$voulu" ]; then
        echec "$quoi: got [$obtenu], expected [$voulu]"
    fi
}
