#!/usr/bin/env bash
# A batch of seeds: one folder per seed, a summary row per seed, the same
# games as single runs, and an interrupted batch that keeps what it finished.
# usage: batch_test.sh PATH/TO/tarvenna
set -u
cli=$1
. "$(dirname "$0")/script_support.sh"

"$cli" --seed 7 --count 12 --out "$root/batch" --spoiler >"$root/log" 2>"$root/err" || fail "the batch exited with $?: $(cat "$root/err")"
[ -s "$root/log" ] && fail "a batch printed on standard output: $(head -3 "$root/log")"
summary="$root/batch/summary.csv"
[ "$(wc -l <"$summary")" = 13 ] || fail "expected a header and 12 rows in the summary, got $(wc -l <"$summary")"
head -1 "$summary" | grep -q '^seed,share code,check words,attempts,spheres,seconds' || fail "summary header: $(head -1 "$summary")"
for seed in $(seq 7 18); do
    for name in ItemListJillNormal.txt CheatSheetJillNormal.txt SpoilerJillNormal.json; do
        [ -s "$root/batch/$seed/$name" ] || fail "$seed/$name missing"
    done
    grep -q "^$seed,T" "$summary" || fail "no summary row for seed $seed"
done

# A row says what a single run of that seed says.
mkdir -p "$root/single"
"$cli" --seed 11 --out "$root/single" >/dev/null 2>"$root/single.err"
cmp -s "$root/single/ItemListJillNormal.txt" "$root/batch/11/ItemListJillNormal.txt" || fail "seed 11 differs from a single run"
code=$(sed -n 's/^share: //p' "$root/single.err")
words=$(sed -n 's/^check: //p' "$root/single.err")
grep -q "^11,$code,$words,[0-9]*,[0-9]*,[0-9.]*"$'\r'"$" "$summary" || fail "row of seed 11: $(grep '^11,' "$summary")"

# Interrupted: the seeds it finished are whole and listed, the one it was
# on leaves nothing, and the status is 130.
# Seeds 37 and 38 take milliseconds even in a Debug build; 39 takes longer,
# so the interrupt most likely finds a seed under way. The wait is generous
# because a loaded CI machine may run the Debug build slowly.
"$cli" --seed 37 --count 50 --character chris --locks --threads 1 --out "$root/stopped" >/dev/null 2>"$root/stopped.err" &
pid=$!
for _ in $(seq 3000); do
    [ "$(wc -l <"$root/stopped/summary.csv" 2>/dev/null || echo 0)" -ge 3 ] && break
    sleep 0.1
done
kill -INT "$pid"
wait "$pid"
status=$?
[ "$status" = 130 ] || fail "an interrupted batch exited with $status, expected 130"
rows=$(($(wc -l <"$root/stopped/summary.csv") - 1))
folders=$(find "$root/stopped" -mindepth 1 -maxdepth 1 -type d | wc -l)
[ "$rows" -ge 2 ] || fail "the summary lists $rows seeds"
[ "$folders" = "$rows" ] || fail "$folders folders for $rows summary rows"
for folder in "$root/stopped"/*/; do
    [ -s "$folder/ItemListChrisNormal.txt" ] || fail "$folder holds no whole game"
done

for bad in "--count 0" "--count 5" "--count 3 --seed 4294967294"; do
    # shellcheck disable=SC2086
    "$cli" $bad --out "$root/bad" >/dev/null 2>"$root/bad.err"
    status=$?
    [ "$status" = 2 ] || fail "'$bad' exited with $status, expected 2"
done
[ ! -e "$root/bad" ] || fail "a refused batch made its folder"

finish batch
