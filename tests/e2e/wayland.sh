# A private Wayland session for the tests, as a user's desktop would run it, with XWayland:
# sway on its headless back-end, or KDE's KWin on its virtual one. Sourced after lib.sh.
# shellcheck shell=bash

# sway refuses to run as root: as root the session, and every program that joins it, runs as
# an unprivileged user (XWayland lets in only its own user).
# COMME is the command's prefix: a command started in the background with it has its own pid.
if [ "$(id -u)" -eq 0 ]; then
    COMME=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups env HOME="$TRAVAIL")
    chown -R nobody "$TRAVAIL"
else
    COMME=(env HOME="$TRAVAIL")
fi
comme() { "${COMME[@]}" "$@"; }

sauter() {
    echo "SKIP: $*"
    exit 77
}

# Starts sway and exports WAYLAND_DISPLAY, SWAYSOCK and DISPLAY (its XWayland).
demarrer_sway() {
    local p
    for p in sway Xwayland wl-copy wl-paste swaymsg foot; do
        command -v "$p" >/dev/null || sauter "$p is not installed (scripts/test installs it)"
    done
    # wlroots makes the X sockets' folder for its user, which would shut others out of it.
    [ -d /tmp/.X11-unix ] || mkdir -m 1777 /tmp/.X11-unix
    printf 'xwayland enable\nfocus_on_window_activation urgent\n' >"$TRAVAIL/sway.conf"
    "${COMME[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway -c "$TRAVAIL/sway.conf" >"$TRAVAIL/sway.log" 2>&1 &
    SWAY_PID=$!
    PIDS+=("$SWAY_PID")
    for _ in $(seq 1 100); do
        SWAYSOCK="$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -n 1 || true)"
        if [ -n "$SWAYSOCK" ] && swaymsg -s "$SWAYSOCK" -t get_version >/dev/null 2>&1; then
            export SWAYSOCK
            export WAYLAND_DISPLAY
            WAYLAND_DISPLAY="$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" | head -n 1)")"
            swaymsg exec "printenv DISPLAY >$TRAVAIL/affichage-x" >/dev/null
            attendre 5 "sway gave no X display" test -s "$TRAVAIL/affichage-x"
            export DISPLAY
            DISPLAY="$(cat "$TRAVAIL/affichage-x")"
            # XWayland ends with its last client: one stays, so that the copies of Monvalor
            # started one after another do not meet a server that is going away.
            "${COMME[@]}" xprop -root -spy _NET_ACTIVE_WINDOW >/dev/null 2>&1 &
            PIDS+=("$!")
            return 0
        fi
        kill -0 "$SWAY_PID" 2>/dev/null || break
        sleep 0.1
    done
    cat "$TRAVAIL/sway.log" >&2
    echec "sway did not start"
}

# Starts KWin and exports WAYLAND_DISPLAY and DISPLAY (its XWayland).
demarrer_kwin() {
    command -v kwin_wayland >/dev/null || sauter "kwin_wayland is not installed"
    # kwin_wayland carries a file capability (to raise its priority) that this sandbox cannot
    # grant an unprivileged user, who then may not run it at all: a copy without it runs.
    cp /usr/bin/kwin_wayland "$TRAVAIL/kwin_wayland"
    chmod 755 "$TRAVAIL/kwin_wayland"
    "${COMME[@]}" "$TRAVAIL/kwin_wayland" --virtual --xwayland --no-lockscreen \
        --socket wayland-kwin --width 1024 --height 768 >"$TRAVAIL/kwin.log" 2>&1 &
    KWIN_PID=$!
    PIDS+=("$KWIN_PID")
    export WAYLAND_DISPLAY=wayland-kwin
    attendre 20 "KWin did not start" test -S "$XDG_RUNTIME_DIR/wayland-kwin"
    x_de_kwin() { pgrep -a -P "$KWIN_PID" Xwayland | awk '{print $3}'; }
    attendre 20 "KWin gave no X display" il_y_a x_de_kwin
    export DISPLAY
    DISPLAY="$(x_de_kwin)"
}

# Starts GNOME's Mutter and exports WAYLAND_DISPLAY, DISPLAY (its XWayland) and XAUTHORITY.
demarrer_mutter() {
    command -v mutter >/dev/null || sauter "mutter is not installed"
    "${COMME[@]}" dbus-run-session -- mutter --headless --wayland --virtual-monitor 1024x768 \
        --wayland-display wayland-mutter >"$TRAVAIL/mutter.log" 2>&1 &
    PIDS+=("$!")
    export WAYLAND_DISPLAY=wayland-mutter
    attendre 20 "Mutter did not start" test -S "$XDG_RUNTIME_DIR/wayland-mutter"
    x_de_mutter() { pgrep -a Xwayland | grep -F -- "$XDG_RUNTIME_DIR/" | awk '{print $3}'; }
    attendre 20 "Mutter gave no X display" il_y_a x_de_mutter
    export DISPLAY XAUTHORITY
    DISPLAY="$(x_de_mutter)"
    XAUTHORITY="$(compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*" | head -n 1)"
}

# The sway window tree, one line per window: title, app_id (or "x" for X11), focused, urgent.
arbre() {
    swaymsg -t get_tree | python3 -c '
import json, sys
def parcourir(n):
    if n.get("type") in ("con", "floating_con") and n.get("name") is not None:
        print("%s\t%s\t%d\t%d" % (n["name"], n.get("app_id") or "x", n.get("focused", False),
                                  n.get("urgent", False)))
    for f in n.get("nodes", []) + n.get("floating_nodes", []):
        parcourir(f)
parcourir(json.load(sys.stdin))'
}
fenetre_sway() { arbre | awk -F'\t' -v t="$1" '$1 == t'; }
a_le_focus() { [ "$(fenetre_sway "$1" | cut -f3)" = 1 ]; }
est_urgente() { [ "$(fenetre_sway "$1" | cut -f4)" = 1 ]; }

# A Wayland program's window takes the focus, as when the user works in it.
# It runs a command of its own: the user's shell may be nologin, or unknown without $SHELL.
ouvrir_foot() {
    "${COMME[@]}" foot -T travail sleep 3600 >"$TRAVAIL/foot.log" 2>&1 &
    FOOT_PID=$!
    PIDS+=("$FOOT_PID")
    attendre 10 "foot did not take the focus" foot_a_le_focus
}
foot_a_le_focus() {
    a_le_focus travail && return 0
    kill -0 "$FOOT_PID" 2>/dev/null || {
        tail -n 5 "$TRAVAIL/foot.log" >&2
        echec "foot ended"
    }
    return 1
}

# Starts a copy of Monvalor in the session, with the given environment; its pid is in LANCE.
lancer_dans_session() {
    "${COMME[@]}" "$@" "$MONVALOR" >>"$TRAVAIL/sortie" 2>&1 &
    LANCE=$!
    PIDS+=("$LANCE")
}

# The About and converter windows, as the session's X programs see them.
fenetres_apropos_comme() { comme xdotool search --onlyvisible --name '^À propos de Monvalor$' 2>/dev/null || true; }
fenetres_comme() { comme xdotool search --onlyvisible --name '^Monvalor$' 2>/dev/null || true; }

# Closes the About window shown at start, as Enter on its OK button does.
fermer_apropos_comme() {
    attendre 15 "the About window did not appear" il_y_a fenetres_apropos_comme
    comme xdotool windowfocus --sync "$(fenetres_apropos_comme | head -n 1)" \
        key --clearmodifiers Return
    attendre 10 "the converter did not appear" il_y_a fenetres_comme
}

copier_wayland() { printf '%s' "$1" | comme wl-copy; }
# The Wayland clipboard's text, or nothing when it holds none.
presse_papier_wayland() { comme timeout 5 wl-paste -n 2>/dev/null || true; }
