#!/bin/sh
# Monvalor's updater for an installation of one's own: a folder the user owns, such as
# ~/.local/lib/monvalor, that holds the program `monvalor` (README, "Updates"). This script is
# followed by the new version, a tar.gz archive after the line "__ARCHIVE__" (scripts/publier
# puts them together). Monvalor starts it, once its digest and signature are checked, as
#     MonvalorUpdate FOLDER         (the program's folder, also the working directory)
# from its open file: "$0" is then /dev/fd/N, and the archive is read through it.
# The new files go over the old ones each by a rename, so that the Monvalor still running keeps
# the file it runs from; files of the folder that the archive does not hold (the user's own
# language files) stay. Then the new Monvalor is started, and the script ends.
set -eu

version=@VERSION@
dossier=${1:?usage: MonvalorUpdate PROGRAM_FOLDER}

refuser() {
    echo "MonvalorUpdate : $*" >&2
    exit 1
}

cd -P -- "$dossier" 2>/dev/null || refuser "pas de dossier $dossier"
dossier=$(pwd -P)
if [ ! -f monvalor ] || [ -L monvalor ]; then
    refuser "$dossier ne contient pas de programme Monvalor : rien n'est changé"
fi

# Beside the program, so that every move is a rename within one file system.
temp=$(mktemp -d "$dossier/.mise-a-jour.XXXXXX")
trap 'rm -rf "$temp"' EXIT
debut=$(awk '/^__ARCHIVE__$/ { print NR + 1; exit }' "$0")
[ -n "$debut" ] || refuser "archive absente"
tail -n +"$debut" "$0" | tar -xzf - -C "$temp" --no-same-owner
# The new program must start on this system before the old one is replaced.
[ "$("$temp/monvalor" --version 2>/dev/null)" = "Monvalor $version" ] ||
    refuser "la version $version ne démarre pas ici : rien n'est changé"

(cd "$temp" && find . -type f ! -path ./monvalor) | while IFS= read -r f; do
    mkdir -p "$(dirname "$dossier/$f")"
    mv -f "$temp/$f" "$dossier/$f"
done
mv -f "$temp/monvalor" "$dossier/monvalor"

# One Monvalor per display: started while the old one still holds the display's lock, the new
# one would only bring the old one's window forward. The old one ends once it has started us.
execution=${XDG_RUNTIME_DIR:-}
if [ -z "$execution" ] || [ ! -d "$execution" ] || [ ! -w "$execution" ]; then
    execution=${TMPDIR:-/tmp}
fi
affichage=${WAYLAND_DISPLAY:-${DISPLAY:-}}
nom=$(printf 'monvalor%s' "${affichage:+-$affichage}" | tr -c 'A-Za-z0-9._-' '_')
verrou="$execution/$nom-$(id -u).lock"
if [ -f "$verrou" ] && command -v flock >/dev/null; then
    flock -w 10 "$verrou" true || true
fi

setsid "$dossier/monvalor" </dev/null >/dev/null 2>&1 &
exit 0
__ARCHIVE__
