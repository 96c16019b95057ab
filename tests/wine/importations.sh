#!/usr/bin/env bash
# The program starts on Windows 7 SP1: every DLL it imports is one of that system's own, and
# every function it imports from them is one that system has (the list, windows7.txt). Newer
# functions are looked up when the program runs (src/toolkit/win32/FonctionsRecentes.h); the
# Universal CRT and the API sets, which Windows 7 lacks without updates, are refused outright.
# Usage: importations.sh OBJDUMP PROGRAM.exe LIST
set -euo pipefail
export LC_ALL=C
OBJDUMP="${1:?usage: importations.sh OBJDUMP PROGRAM.exe LIST}"
PROGRAMME="${2:?usage: importations.sh OBJDUMP PROGRAM.exe LIST}"
LISTE="${3:?usage: importations.sh OBJDUMP PROGRAM.exe LIST}"

# "dll!Function" for each import, the DLL's name in lower case as Windows does not mind it;
# one imported by number only reads "dll!#number", which no list entry names.
importations="$("$OBJDUMP" -p "$PROGRAMME" | awk '
    /^The Import Tables/ { dans = 1; next }
    /^[^ \t]/ { dans = 0 }
    dans && /^\tDLL Name: / { dll = tolower($3); next }
    dans && dll != "" && /^\t[0-9a-f]+\t/ {
        if ($3 == "<none>") { print dll "!#" $2 } else { print dll "!" $3 }
    }')"
[ -n "$importations" ] || { echo "ECHEC: no import read from $PROGRAMME" >&2; exit 1; }

permis="$(grep -v '^[[:space:]]*\(#\|$\)' "$LISTE" || true)"
dlls_permises="$(cut -d'!' -f1 <<<"$permis" | sort -u)"
fautes=0
while IFS= read -r dll; do
    case "$dll" in
    api-ms-win-* | ext-ms-win-* | ucrtbase*.dll | vcruntime*.dll | msvcp1*.dll)
        echo "ECHEC: $dll is an API set or the Universal CRT, not on every Windows 7 SP1" >&2
        fautes=$((fautes + 1))
        ;;
    *)
        if ! grep -qxF "$dll" <<<"$dlls_permises"; then
            echo "ECHEC: $dll is not one of Windows 7's own DLLs" >&2
            fautes=$((fautes + 1))
        fi
        ;;
    esac
done < <(cut -d'!' -f1 <<<"$importations" | sort -u)
while IFS= read -r importation; do
    echo "ECHEC: $importation is not in Windows 7 SP1 (or not yet in $(basename "$LISTE"))" >&2
    fautes=$((fautes + 1))
done < <(comm -23 <(sort -u <<<"$importations") <(sort -u <<<"$permis"))
[ "$fautes" -eq 0 ] || exit 1
echo "$(sort -u <<<"$importations" | wc -l) imports, all in Windows 7 SP1"
