#!/usr/bin/env bash
# Starting Monvalor a second time brings the running window forward instead of opening
# another; five copies started together leave exactly one.
source "$(dirname "$0")/lib.sh"
demarrer_x
lancer
premier=$LANCE
fermer_apropos

# A second copy: it puts "0" on the clipboard, the first copy takes it, the second ends.
lancer
second=$LANCE
attendre 4 "the second copy did not end" termine "$second"
attendre_lignes 1
attendu "$(derniere_ligne | cut -f1-8)" "0${TAB}0${TAB}0${TAB}19,6${TAB}0${TAB}0${TAB}0${TAB}0" "boxes after a second start"
attendu "$(presse_papier)" "" "clipboard after the second start"
attendu "$(fenetres | wc -l)" "1" "windows after a second start"
kill -0 "$premier" || echec "the first copy ended"

# Five copies at the same instant, on a fresh display: exactly one stays.
kill "$premier"
wait "$premier" 2>/dev/null || true
: >"$MONVALOR_JOURNAL"
groupe=()
for _ in 1 2 3 4 5; do
    lancer
    groupe+=("$LANCE")
done
vivants() {
    local p n=0
    for p in "${groupe[@]}"; do
        if kill -0 "$p" 2>/dev/null; then
            n=$((n + 1))
        fi
    done
    echo "$n"
}
un_seul() { [ "$(vivants)" = 1 ]; }
# The copies that lose end as soon as they have handed "0" over; a slow start (Wine) only
# makes it take longer.
attendre 20 "copies still running after five simultaneous starts" un_seul
sleep 0.5
attendu "$(vivants)" "1" "copies still running after five simultaneous starts"
attendu "$(fenetres_apropos | wc -l)" "1" "About windows after five simultaneous starts"
fermer_apropos
attendu "$(fenetres | wc -l)" "1" "windows after five simultaneous starts"

# A copy that crashed does not block the next start.
for p in "${groupe[@]}"; do
    kill -9 "$p" 2>/dev/null || true
done
sleep 0.3
lancer
fermer_apropos
kill -0 "$LANCE" || echec "a start after a crash did not run"
echo "1 passed, 0 failed"
