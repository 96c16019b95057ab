# Shared by the entry points: installs what is missing, then configures and builds.
# shellcheck shell=bash

MONVALOR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Packages to build and run Monvalor.
PAQUETS_RUN=(cmake ninja-build g++ pkg-config qt6-base-dev libgl1-mesa-dev libxcb1-dev
             libxcb-xfixes0-dev libwayland-dev qt6-wayland fonts-liberation
             fonts-dejavu-core qt6-translations-l10n libssl-dev)
# Packages for the test suites: GoogleTest, an X server and the tools that talk to it; three
# Wayland compositors with XWayland, a Wayland terminal and the Wayland clipboard tools; the
# network tests' loopback server, its certificate, and curl for the download bench.
PAQUETS_TEST=(googletest libgtest-dev xvfb xauth xclip xdotool x11-utils imagemagick libx11-dev
              sway kwin-wayland mutter dbus-daemon xwayland foot wl-clipboard procps
              python3 openssl curl)

installer_manquants() {
    local manquants=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            manquants+=("$p")
        fi
    done
    if [ "${#manquants[@]}" -eq 0 ]; then
        return 0
    fi
    echo "Installation : ${manquants[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    export DEBIAN_FRONTEND=noninteractive
    # The 32-bit packages (32-bit Wine) come once dpkg knows their architecture.
    if [[ " ${manquants[*]}" == *:i386* ]] &&
        ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
    fi
    # A mirror caught in the middle of its sync serves indexes that disagree with its release
    # file, for a while: what could be read may be enough, otherwise it is tried again later.
    local essai
    for essai in 1 2 3 4; do
        $sudo apt-get update -qq || true
        if $sudo apt-get install -y -qq --no-install-recommends "${manquants[@]}" >/dev/null; then
            return 0
        fi
        if [ "$essai" -lt 4 ]; then
            echo "Installation impossible (essai $essai), nouvel essai dans $((essai * 15)) s" >&2
            sleep $((essai * 15))
        fi
    done
    return 1
}

# configurer DOSSIER [options cmake...]
configurer() {
    local dossier="$1"
    shift
    cmake -S "$MONVALOR_ROOT" -B "$MONVALOR_ROOT/$dossier" -G Ninja "$@" >/dev/null
}

construire() {
    cmake --build "$MONVALOR_ROOT/$1" -- -j"$(nproc)" "${@:2}"
}

# Packages to cross-build the Windows program, its installer and its tests, and to run them
# under Wine on a private X server; 32-bit Wine runs the 32-bit build.
PAQUETS_WINDOWS=(cmake ninja-build mingw-w64 wine wine64 fonts-wine fonts-liberation nsis
                 googletest xvfb xauth xclip xdotool x11-utils imagemagick python3 openssl
                 librsvg2-bin)
PAQUETS_WINE32=(wine32:i386)

# The 64-bit loader by name: with a 32-bit Wine beside it, "wine" starts the 32-bit side of a
# 64-bit prefix (its registry view, its programs). Debian keeps it out of the PATH.
WINE64="$(command -v wine64 || echo /usr/lib/wine/wine64)"
export WINE64

# Wine keeps its "C:" drive and registry in a prefix; the builds have their own, made once:
#     preparer_wine FOLDER win64|win32
preparer_wine() {
    export WINEPREFIX="$1" WINEARCH="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Préfixe Wine : $WINEPREFIX"
        if ! wineboot -i >/dev/null 2>&1; then
            echo "ECHEC: Wine cannot make a $2 prefix in $WINEPREFIX" >&2
            return 1
        fi
        # The design's faces as Windows has them, from fonts-wine (which Debian's Wine does not
        # load by itself): the bitmap MS Sans Serif of 96 dots to the inch, Tahoma and Marlett
        # (the title bar's buttons), installed in the prefix's Fonts folder and registered
        # there; Times New Roman drawn in its metric twin.
        local chargeur="$WINE64" fichier nom
        [ "${WINEARCH:-}" = win32 ] && chargeur=wine
        for fichier in sserife.fon:"MS Sans Serif" tahoma.ttf:"Tahoma (TrueType)" \
            tahomabd.ttf:"Tahoma Bold (TrueType)" marlett.ttf:"Marlett (TrueType)"; do
            nom="${fichier#*:}"
            fichier="${fichier%%:*}"
            cp "/usr/share/wine/fonts/$fichier" "$WINEPREFIX/drive_c/windows/Fonts/"
            "$chargeur" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
                /v "$nom" /d "$fichier" /f >/dev/null 2>&1
        done
        "$chargeur" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Times New Roman" \
            /d "Liberation Serif" /f >/dev/null 2>&1
        wineserver -w
    fi
    # A Wine server that ends the moment its last program does races with the next program to
    # start: keep it for a while (one that already runs stays as it is), the tests that end it
    # start another, and arreter_wine ends the last.
    export MONVALOR_WINE_PERSISTANCE=30
    wineserver -p"$MONVALOR_WINE_PERSISTANCE" 2>/dev/null || true
}

# Ends every Wine process of the prefix, the server last.
arreter_wine() {
    WINEPREFIX="$1" wineserver -k 2>/dev/null || true
    WINEPREFIX="$1" wineserver -w 2>/dev/null || true
}

# Every process a run starts carries its mark in its environment, so that what outlives the
# run is found, and only that: other runs may share the machine.
marquer_execution() {
    MONVALOR_EXECUTION="$(date +%s%N)-$$"
    export MONVALOR_EXECUTION
}

# Fails when processes the run started still run (a Wine server, an X server, a compositor,
# a helper): names them and ends them. Those that are just ending get a few seconds.
verifier_rien_ne_reste() {
    local marque="MONVALOR_EXECUTION=$MONVALOR_EXECUTION" restes=() p
    # (the commands of the search itself do not carry the mark)
    export -n MONVALOR_EXECUTION
    for _ in $(seq 1 50); do
        restes=()
        for p in /proc/[0-9]*; do
            if [ "${p#/proc/}" != "$$" ] && grep -qzxF "$marque" "$p/environ" 2>/dev/null; then
                restes+=("${p#/proc/}")
            fi
        done
        [ "${#restes[@]}" -gt 0 ] || break
        sleep 0.1
    done
    export MONVALOR_EXECUTION
    [ "${#restes[@]}" -gt 0 ] || return 0
    echo "ECHEC: still running after the run:" >&2
    ps -o pid=,args= -p "$(IFS=,; echo "${restes[*]}")" >&2 || true
    kill "${restes[@]}" 2>/dev/null || true
    sleep 1
    kill -KILL "${restes[@]}" 2>/dev/null || true
    return 1
}
