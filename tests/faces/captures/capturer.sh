#!/usr/bin/env bash
# Draws every window on both faces into FOLDER/qt/*.png and FOLDER/win32/*.png, from the
# builds build-test and build-windows; with a second FOLDER, then says which differ. DPI (96 by
# default) is the screen's resolution: Qt's scale, and a Wine prefix's own.
#   [DPI=192] tests/faces/captures/capturer.sh FOLDER [REFERENCE]
set -euo pipefail
racine="$(cd "$(dirname "$0")/../../.." && pwd)"
source "$racine/scripts/lib.sh"
# Each Win32 window shown alone, taken from the X server's screen as a person sees it.
capturer_win32() {
    local nom rectangle pid
    for nom in frmConvertisseur frmAbout frmSock frmRepertoire; do
        coproc WIN32 { wine "$racine/build-windows/tests/captures_win32.exe" "$nom" 2>/dev/null; }
        pid=$WIN32_PID
        read -r -t 60 -u "${WIN32[0]}" rectangle
        sleep 2
        read -r x y l h <<<"$rectangle"
        import -window root -crop "${l}x${h}+${x}+${y}" +repage "$dossier/win32/$nom.png"
        kill "$pid" 2>/dev/null || true
        wineserver -k 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
if [ "$1" = --win32 ]; then # on the X server xvfb-run started
    dossier="$2"
    capturer_win32
    exit 0
fi
dossier="$(realpath -m "$1")"
mkdir -p "$dossier/qt" "$dossier/win32"
ninja -C "$racine/build-test" captures_qt >/dev/null
DPI="${DPI:-96}"
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR="$(echo "scale=4; $DPI / 96" | bc)" \
    "$racine/build-test/tests/captures_qt" "$dossier/qt"
if [ -d "$racine/build-windows" ]; then
    ninja -C "$racine/build-windows" captures_win32.exe >/dev/null
    # A prefix of its own per resolution, where Wine draws each window's frame itself, as
    # Windows does, rather than leave it to an X window manager that is not there.
    preparer_wine "$racine/build-windows/wine-captures-$DPI" win64
    trap 'arreter_wine "$racine/build-windows/wine-captures-$DPI"' EXIT
    "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f \
        >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    xvfb-run -a -s "-screen 0 2048x1536x24" "$0" --win32 "$dossier"
fi
[ $# -ge 2 ] || exit 0
reference="$(realpath "$2")"
differences=0
for png in "$reference"/*/*.png; do
    nouveau="$dossier/${png#"$reference"/}"
    n="$(compare -metric AE "$png" "$nouveau" null: 2>&1 || true)"
    if [ "$n" != 0 ]; then
        echo "DIFFERENT: ${png#"$reference"/} ($n pixels)"
        differences=$((differences + 1))
    fi
done
echo "$differences window(s) differ"
[ "$differences" -eq 0 ]
