#!/usr/bin/env bash
# A long item search shows how far it has got on standard error when that is
# a terminal, beside the status log and never in it.
# usage: search_progress_test.sh PATH/TO/tarvenna
set -u
cli=$1
. "$(dirname "$0")/script_support.sh"
command -v script >/dev/null || { echo "no script(1) to give the run a terminal"; exit 77; }
# No item deal passes under this seed's first lock deal: the whole cycle is
# ruled out (seconds), then the locks are dealt again.
game=(--seed 163 --locks --character chris --threads 2)
mkdir "$root/plain" "$root/inplace" "$root/lines"
"$cli" "${game[@]}" --out "$root/plain" >"$root/plain.log" 2>"$root/plain.err" || fail "plain run: exit $?"
[ -s "$root/plain.err" ] && grep -q Checking "$root/plain.err" && fail "progress without a terminal"

# Standard error on a terminal, the log to a file: one line redrawn in place.
script -qec "'$cli' ${game[*]} --out '$root/inplace' >'$root/inplace.log'" "$root/inplace.tty" >/dev/null
cmp -s "$root/plain.log" "$root/inplace.log" || fail "the status log changed with a terminal on standard error"
tty=$(tr '\r' '\n' <"$root/inplace.tty")
for percent in 1 50 100; do
    grep -qx "Checking the locks: $percent % of the item deals ruled out *" <<<"$tty" ||
        fail "no in-place line at $percent %"
done
# Wiped before the run's own lines.
grep -q $'\r *\rseed: 163' "$root/inplace.tty" || fail "the progress line is not wiped before 'seed:'"

# Both on the terminal: a line of its own at each tenth, between the marks.
script -qec "'$cli' ${game[*]} --out '$root/lines'" "$root/lines.tty" >/dev/null
lines=$(grep -ac "^Checking the locks: [0-9]* % of the item deals ruled out"$'\r'"$" "$root/lines.tty")
[ "$lines" -ge 10 ] && [ "$lines" -le 12 ] || fail "$lines progress lines on a shared terminal, expected 10 to 12"
cmp -s "$root/plain/ItemListChrisNormal.txt" "$root/lines/ItemListChrisNormal.txt" || fail "other item list"
finish search_progress
