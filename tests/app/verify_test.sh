#!/usr/bin/env bash
# tarvenna --verify through the real command: the verdicts, their exit
# statuses and the spoiler of a checked file.
# usage: verify_test.sh PATH/TO/tarvenna GOLDEN_DIR
set -u
cli=$1 golden=$2
. "$(dirname "$0")/script_support.sh"
locks=$golden/locks-chris-1/ItemListChrisNormal.txt

expect() {
    local status=$1 pattern=$2
    shift 2
    "$cli" "$@" >"$root/out" 2>"$root/err"
    local got=$?
    [ "$got" = "$status" ] || fail "$*: exit $got, expected $status: $(cat "$root/out" "$root/err")"
    grep -q -- "$pattern" "$root/out" "$root/err" || fail "$*: no '$pattern' in: $(cat "$root/out" "$root/err")"
}

expect 0 '^finishable: a playthrough in [0-9]* spheres' --verify "$locks" --character chris --locks
expect 2 'not an item list' --verify "$locks" --character chris
sed '520s/.*/16\r/' "$locks" >"$root/badlock.txt"
expect 7 '^not finishable: lock 19 has kind 16' --verify "$root/badlock.txt" --character chris --locks
expect 2 'cannot read' --verify "$root/missing.txt"

# A code names its game: another file of the same settings is finishable but not that game.
code=T1-24M0-901Z-R000-0000-9H4X-31C0-38
expect 0 'finishable' --verify "$golden/jill-normal-1/ItemListJillNormal.txt" --share "$code"
expect 6 "not the file of the share code's game" --verify "$golden/jill-normal-2/ItemListJillNormal.txt" --share "$code"

expect 2 'needs --seed or --share' --verify "$locks" --character chris --locks --spoiler
mkdir -p "$root/spoiler"
expect 0 'finishable' --verify "$locks" --character chris --locks --seed 1 --spoiler --out "$root/spoiler"
grep -q '"sphereCount"' "$root/spoiler/SpoilerChrisNormal.json" || fail "the checked file's spoiler has no playthrough"

finish verify
