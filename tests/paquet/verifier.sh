#!/usr/bin/env bash
# Makes the Debian package and checks it as a user would get it: lintian and the desktop and
# software-centre validators, `cmake --install` laying the same tree, an install with apt, the
# installed program on the command line and on Xvfb under an English locale (its About window
# in English), then a removal that leaves nothing behind. Needs root (apt), as CI has.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/lib.sh

installer_manquants desktop-file-utils appstream man-db xvfb xauth xdotool
paquet="$(scripts/package | tail -n 1)"
echo "paquet : $paquet"
travail="$(mktemp -d)"
xvfb=""
nettoyer() {
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$travail"
}
trap nettoyer EXIT
echec() {
    echo "ÉCHEC : $*" >&2
    exit 1
}

echo "-- validateurs"
desktop-file-validate packaging/org.monvalor.Monvalor.desktop
appstreamcli validate --no-net packaging/org.monvalor.Monvalor.metainfo.xml

echo "-- cmake --install : le même arbre que le paquet, sans les documents de Debian"
cmake --install build-package --prefix "$travail/prefixe" >/dev/null
# (the package's build adds them to its tree; every other file must be the same)
(cd "$travail/prefixe" && find . -type f | sed 's|^\./||' | grep -v '^share/doc/monvalor/' |
    sort) >"$travail/installe"
dpkg-deb -c "$paquet" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' |
    grep -v '^share/doc/monvalor/' | sort >"$travail/paquet"
diff -u "$travail/paquet" "$travail/installe" || echec "cmake --install differs from the package"

echo "-- installation"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$paquet" >/dev/null
dpkg -s monvalor | grep -q '^Status: install ok installed' || echec "not installed"
/usr/bin/monvalor --version | grep -qx 'Monvalor 1.3.1' || echec "--version"
/usr/bin/monvalor --convertir 100 | grep -qx "$(printf 'Euros\t15,24')" || echec "--convertir"
man -w monvalor | grep -qx /usr/share/man/man1/monvalor.1.gz || echec "man monvalor"
man -L en -w monvalor | grep -qx /usr/share/man/en/man1/monvalor.1.gz || echec "man -L en"

echo "-- le programme installé, en anglais, sur Xvfb"
Xvfb -displayfd 5 -screen 0 800x600x24 -nolisten tcp 5>"$travail/affichage" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$travail/affichage" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$travail/affichage")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM LC_ALL LC_MESSAGES
# A home of its own: no language files of the user's; the locale need not exist.
HOME="$travail/maison" XDG_DATA_HOME="" LANG=en_GB.UTF-8 /usr/bin/monvalor \
    >"$travail/sortie" 2>&1 &
programme=$!
fenetre=""
for _ in $(seq 100); do
    fenetre="$(xdotool search --name '^About Monvalor$' 2>/dev/null | head -n 1 || true)"
    [ -n "$fenetre" ] && break
    sleep 0.1
done
titres="$(xdotool search --name '.' getwindowname %@ 2>/dev/null || true)"
kill "$programme" 2>/dev/null || true
wait "$programme" 2>/dev/null || true
[ -n "$fenetre" ] || echec "no English About window; windows: $titres; $(cat "$travail/sortie")"
echo "fenêtre « About Monvalor » : $fenetre"

echo "-- suppression"
apt-get remove -y -qq monvalor >/dev/null
if dpkg -s monvalor 2>/dev/null | grep -q '^Status: install ok installed'; then
    echec "still installed"
fi
restes=0
while read -r chemin; do
    if [ -e "$chemin" ]; then echo "reste : $chemin"; restes=1; fi
done < <(dpkg-deb -c "$paquet" | awk '$1 !~ /^d/ {print substr($6, 2)}'; echo /usr/share/monvalor)
[ "$restes" -eq 0 ] || echec "files left after removal"
echo "1 passed, 0 failed: the package"
