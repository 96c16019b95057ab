#!/usr/bin/env bash
# The Windows installer as a user runs it, in a Wine prefix of its own: a silent install puts
# the program in "Program Files" with its Start menu entry and its uninstaller, the installed
# program starts from there, and a silent uninstall takes everything away again.
# Usage: installateur.sh PATH_TO_SETUP_EXE
set -euo pipefail
INSTALLATEUR="$(realpath "${1:?usage: installateur.sh monvalor-VERSION-setup.exe}")"
TRAVAIL="$(mktemp -d)"
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; rm -rf "$TRAVAIL"' EXIT
export WINEPREFIX="$TRAVAIL/wine" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The 64-bit installer, its program and the registry's 64-bit view, where it writes, are the
# 64-bit loader's: with 32-bit Wine installed, "wine" is the 32-bit one. (Debian keeps wine64
# beside Wine's libraries, out of PATH.)
if ! command -v wine64 >/dev/null; then
    wine64() { /usr/lib/wine/wine64 "$@"; }
fi
wineboot -i >/dev/null 2>&1
wineserver -w

echec() {
    echo "ECHEC: $*" >&2
    exit 1
}
attendre() {
    local secondes="$1" message="$2"
    shift 2
    for _ in $(seq 1 $((secondes * 10))); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    echec "$message"
}
absent() { [ ! -e "$1" ]; }

DOSSIER="$WINEPREFIX/drive_c/Program Files/Monvalor"
MENU="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Monvalor"
DESINSTALLATION='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Monvalor'

wine64 "$INSTALLATEUR" /S
wineserver -w
[ -f "$DOSSIER/monvalor.exe" ] || echec "the program is not in Program Files"
[ -f "$DOSSIER/Uninstall.exe" ] || echec "no uninstaller beside the program"
[ -f "$MENU/Monvalor.lnk" ] || echec "no Start menu entry"
# French is the program's own language: the English files only come when asked for.
[ ! -e "$DOSSIER/Monvalor.lng" ] || echec "language files installed without being asked for"
wine64 reg query "$DESINSTALLATION" >/dev/null 2>&1 || echec "no entry among the installed programs"

version="$(wine64 "C:\\Program Files\\Monvalor\\monvalor.exe" --version | tr -d '\r')"
[ "$version" = "Monvalor 1.3.1" ] || echec "the installed program says '$version'"
montant="$(wine64 "C:\\Program Files\\Monvalor\\monvalor.exe" --convertir 100 | tr -d '\r' |
    grep '^Euros')"
case "$montant" in
*"15,24") ;;
*) echec "the installed program converts 100 francs to '$montant'" ;;
esac

# The uninstaller copies itself away and runs from there: wait for what it removes.
wine64 "C:\\Program Files\\Monvalor\\Uninstall.exe" /S
wineserver -w
attendre 30 "the program's folder is still there after uninstalling" absent "$DOSSIER"
attendre 10 "the Start menu entry is still there after uninstalling" absent "$MENU"
if wine64 reg query "$DESINSTALLATION" >/dev/null 2>&1; then
    echec "the program is still listed among the installed programs"
fi
echo "1 passed, 0 failed"
