#!/usr/bin/env bash
# Sharing a game through the command: the code and check words it prints,
# generating from a code, and the codes it refuses.
# usage: share_test.sh PATH/TO/tarvenna
set -u
cli=$1
. "$(dirname "$0")/script_support.sh"

# A game with every kind of setting: its code and words come after the seed.
mkdir -p "$root/made" "$root/again"
options=(--seed 36 --character chris --locks --enemies --lisa-spawns many --no-bees --remove-ammo --threads 2)
"$cli" "${options[@]}" --out "$root/made" >"$root/made.log" 2>"$root/made.err" || fail "the first run exited with $?"
grep -A2 '^seed: 36$' "$root/made.err" | sed -n 2p | grep -q '^share: T' || fail "no share line under the seed: $(cat "$root/made.err")"
code=$(sed -n 's/^share: //p' "$root/made.err")
words=$(sed -n 's/^check: //p' "$root/made.err")
[ "$(wc -w <<<"$words")" = 4 ] || fail "expected four check words, got '$words'"

# The code alone makes the same game: same files, same log, same words.
"$cli" --share "$code" --out "$root/again" --threads 1 >"$root/again.log" 2>"$root/again.err" ||
    fail "--share exited with $?: $(cat "$root/again.err")"
for file in "$root/made"/*.txt; do
    cmp -s "$file" "$root/again/$(basename "$file")" || fail "$(basename "$file") differs when made from the code"
done
cmp -s "$root/made.log" "$root/again.log" || fail "the status log differs when made from the code"
grep -qx "check: $words" "$root/again.err" || fail "the check words differ: $(cat "$root/again.err")"
grep -qx "share: $code" "$root/again.err" || fail "the code made from a code differs"

# One changed character: refused with exit status 2, nothing written.
last=${code: -1}
other=$([ "$last" = 0 ] && echo 1 || echo 0)
mkdir -p "$root/typo"
"$cli" --share "${code%?}$other" --out "$root/typo" >/dev/null 2>"$root/typo.err"
status=$?
[ "$status" = 2 ] || fail "a mistyped code exited with $status, expected 2"
grep -q 'mistake' "$root/typo.err" || fail "a mistyped code gave: $(cat "$root/typo.err")"
[ -z "$(ls -A "$root/typo")" ] || fail "a mistyped code wrote files"

# The code holds the settings and the seed: giving them as well is refused.
for extra in "--seed 5" "--character jill" "--doors" "--no-zombies"; do
    # shellcheck disable=SC2086
    "$cli" --share "$code" $extra --out "$root/typo" >/dev/null 2>"$root/both.err"
    status=$?
    [ "$status" = 2 ] || fail "--share with $extra exited with $status, expected 2"
    grep -q 'cannot be combined' "$root/both.err" || fail "--share with $extra gave: $(cat "$root/both.err")"
done

# The spoiler comes with the pair when asked for, and only then.
[ ! -e "$root/made/SpoilerChrisNormal.json" ] || fail "a spoiler was written without --spoiler"
"$cli" --share "$code" --spoiler --out "$root/again" >/dev/null 2>&1 || fail "--spoiler exited with $?"
[ -s "$root/again/SpoilerChrisNormal.json" ] || fail "--spoiler wrote no SpoilerChrisNormal.json"
grep -q "\"$code\"" "$root/again/SpoilerChrisNormal.json" || fail "the spoiler does not hold the share code"

finish share
