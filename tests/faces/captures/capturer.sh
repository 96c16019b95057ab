#!/usr/bin/env bash
# Draws every window on both faces into FOLDER/qt/*.png and FOLDER/win32/*.png, from the
# builds build-test and build-windows; with a second FOLDER, then says which differ.
#   tests/faces/captures/capturer.sh FOLDER [REFERENCE]
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
QT_QPA_PLATFORM=offscreen "$racine/build-test/tests/captures_qt" "$dossier/qt"
if [ -d "$racine/build-windows" ]; then
    ninja -C "$racine/build-windows" captures_win32.exe >/dev/null
    preparer_wine "$racine/build-windows/wine"
    xvfb-run -a -s "-screen 0 1024x768x24" "$0" --win32 "$dossier"
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
