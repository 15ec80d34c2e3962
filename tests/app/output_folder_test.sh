#!/usr/bin/env bash
# The command's files on disk: a folder name outside ASCII and a target that
# cannot be written. (Files replaced whole: the file set's tests, and the
# kill and full disk tests through the command.)
# usage: output_folder_test.sh PATH/TO/tarvenna
set -u
cli=$1
. "$(dirname "$0")/script_support.sh"

# A folder such as players have: accents and Japanese in its name.
folder="$root/Spiele/Ünïcödé ゲーム"
mkdir -p "$folder"
echo "a player's own file" >"$folder/メモ.txt"
"$cli" --seed 3 --out "$folder" >/dev/null 2>&1 || fail "seed 3 into '$folder' exited with $?"
for name in ItemListJillNormal.txt CheatSheetJillNormal.txt; do
    [ -s "$folder/$name" ] || fail "$name missing in '$folder'"
done

# A folder where the item list should go: exit status 1, the message names
# the file, the pair is not half replaced, and nothing is left over.
blocked="$root/blocked"
mkdir -p "$blocked/ItemListJillNormal.txt"
printf 'previous\r\n' >"$blocked/CheatSheetJillNormal.txt"
"$cli" --seed 5 --out "$blocked" >"$root/log" 2>"$root/err"
status=$?
[ "$status" = 1 ] || fail "a blocked target exited with $status, expected 1"
grep -q 'ItemListJillNormal.txt' "$root/err" || fail "the message does not name the file: $(cat "$root/err")"
grep -q 'failed: ' "$root/log" || fail "the status log does not say failed: $(cat "$root/log")"
[ "$(cat "$blocked/CheatSheetJillNormal.txt")" = $'previous\r' ] || fail "the previous cheat sheet changed"
leftovers=$(ls -A "$blocked" | grep -v -x -e ItemListJillNormal.txt -e CheatSheetJillNormal.txt)
[ -z "$leftovers" ] || fail "files left behind: $leftovers"

finish "output folder"
