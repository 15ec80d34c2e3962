#!/usr/bin/env bash
# A game folder holding what others planted (mods and race packs are unpacked
# into it): the command acts on nothing it did not make, never writes
# through a link, never hangs and never aborts.
# usage: hostile_folder_test.sh PATH/TO/tarvenna [windows]
# With "windows" (the Windows command under Wine) only the checks that do
# not need POSIX tools run.
set -u
cli=$1 platform=${2:-posix}
. "$(dirname "$0")/script_support.sh"
items=ItemListJillNormal.txt sheet=CheatSheetJillNormal.txt

# Runs the command into a fresh folder; sets `status`, and the folder `game`.
fresh() { game=$root/game$((++runs)); mkdir -p "$game"; }
run() { "$cli" "$@" >"$root/out" 2>"$root/err"; status=$?; }
expect_status() { [ "$status" = "$1" ] || fail "$2: exit status $status, expected $1: $(cat "$root/err")"; }
runs=0
# Holds the lock of a folder or file, as another run would, until `kill $holder`.
hold() {
    (flock 9 && exec sleep 30) 9<"$1" >/dev/null 2>&1 &
    holder=$!
}

# A planted commit record (of the older format) naming a file outside the
# folder and the player's own is never acted on: the run says so and writes
# nothing.
fresh
mkdir -p "$root/elsewhere"
echo original >"$root/elsewhere/target.txt"
echo save >"$game/save1.dat"
printf 'tarvenna commit 1\n..\\elsewhere\\target.txt\n9\nPWNED!!\r\nsave1.dat\n-\nend\n' >"$game/.tarvenna-commit"
run --seed 1 --out "$game"
expect_status 1 "a planted record"
[ "$(cat "$root/elsewhere/target.txt")" = original ] || fail "a planted record wrote outside the folder"
[ "$(cat "$game/save1.dat")" = save ] || fail "a planted record deleted or changed a save"
[ -e "$game/$items" ] && fail "files were written beside a planted record"
grep -q '\.tarvenna-commit: it is not a commit record Tarvenna wrote; left as it is' "$root/err" ||
    fail "the message does not say what was left: $(cat "$root/err")"
grep -q '^share:' "$root/err" && fail "a share code was printed for files never written"

# A lock file planted as a link: no file appears where it points. Here the
# folder itself is locked; Windows, which needs the file, refuses the link.
fresh
ln -s "$root/elsewhere/nologin" "$game/.tarvenna.lock"
run --seed 3 --out "$game"
if [ "$platform" = windows ]; then
    expect_status 1 "a planted link at the lock file's name"
    grep -q '\.tarvenna\.lock: it is a symbolic link' "$root/err" || fail "a linked lock file: $(cat "$root/err")"
else
    expect_status 0 "a planted link at the lock file's name"
fi
[ -e "$root/elsewhere/nologin" ] && fail "the lock was taken through a planted link"

# A record that is a folder: refused with the writer's own words. (One
# larger than any record: the file set's tests.)
fresh
mkdir "$game/.tarvenna-commit"
run --seed 1 --out "$game"
expect_status 1 "a folder as the record"
grep -q 'it is a folder, not a file' "$root/err" || fail "a folder record: $(cat "$root/err")"

# The set is the unit: a run without a spoiler takes the last one away.
fresh
run --seed 4 --spoiler --out "$game"
expect_status 0 "a run with a spoiler"
run --seed 5 --out "$game"
[ -e "$game/SpoilerJillNormal.json" ] && fail "the spoiler of seed 4 stayed beside seed 5's pair"
[ "$(ls -A "$game" | sort | tr '\n' ' ')" = "$sheet $items " ] || fail "left in the folder: $(ls -A "$game")"

[ "$platform" = windows ] && finish "hostile folder (Windows)"

# The item list a link to a private file, the cheat sheet a folder: refused,
# and no byte of the private file is copied anywhere.
fresh
printf 'the secret\n' >"$root/secret"
chmod 600 "$root/secret"
ln -s "$root/secret" "$game/$items"
mkdir "$game/$sheet"
run --seed 2 --out "$game"
expect_status 1 "a folder at the cheat sheet's name"
[ -L "$game/$items" ] || fail "the linked item list was replaced before the refusal"
grep -rq 'the secret' "$game" && fail "the secret's bytes were copied into the folder"
[ "$(stat -c %a "$root/secret")" = 600 ] || fail "the secret's mode changed"
rmdir "$game/$sheet"
run --seed 2 --out "$game"
expect_status 0 "a linked item list"
[ -L "$game/$items" ] && fail "the link was kept instead of replaced"
[ "$(cat "$root/secret")" = "the secret" ] || fail "the item list was written through its link"

# Closed standard streams: no file the run makes takes their numbers.
fresh
"$cli" --seed 5 --out "$game" <&- >&- 2>"$root/err"
status=$?
expect_status 0 "closed standard input and output"
grep -q '^Randomizing' "$game/$items" && fail "the status log went into the item list"
[ "$(wc -l <"$game/$items")" = 500 ] || fail "the item list is not whole"

# A named pipe with a temporary file's name is left alone, without a wait.
fresh
mkfifo "$game/x.tarvenna-tmp"
timeout 20 "$cli" --seed 1 --out "$game" >/dev/null 2>&1
status=$?
expect_status 0 "a named pipe with the temporary suffix"

# Waiting for another run in the folder: said after a second, and Ctrl-C or
# SIGTERM end the wait with nothing written. (The search stops on the same
# flag: the broken pipe below.)
for signal in INT TERM; do
    fresh
    hold "$game"
    sleep 0.2
    "$cli" --seed 1 --out "$game" >/dev/null 2>"$root/err" &
    pid=$!
    for _ in $(seq 100); do grep -q 'waiting for another Tarvenna run in this folder' "$root/err" && break; sleep 0.1; done
    grep -q 'waiting for another Tarvenna run in this folder' "$root/err" || fail "the wait was not told"
    kill -"$signal" "$pid"
    wait "$pid"
    status=$?
    expect_status 130 "SIG$signal while waiting for the folder"
    kill "$holder"
    wait "$holder" 2>/dev/null
    [ -z "$(ls -A "$game")" ] || fail "SIG$signal while waiting wrote: $(ls -A "$game")"
done

# A batch that never searches still stops at Ctrl-C: whole folders, each listed.
fresh
"$cli" --no-items --seed 1 --count 1000000 --out "$game" >/dev/null 2>&1 &
pid=$!
sleep 1
kill -TERM "$pid"
wait "$pid"
status=$?
expect_status 130 "SIGTERM in a batch without a search"
rows=$(($(wc -l <"$game/summary.csv") - 1))
folders=$(find "$game" -mindepth 1 -maxdepth 1 -type d | wc -l)
[ "$rows" -gt 0 ] && [ "$rows" = "$folders" ] || fail "$folders seed folders for $rows summary rows"

# Batches into one folder add to its summary; one at a time may write it.
fresh
run --seed 100 --count 3 --out "$game"
run --seed 200 --count 3 --out "$game"
[ "$(cut -d, -f1 "$game/summary.csv" | tr -d '\r' | tr '\n' ' ')" = "seed 100 101 102 200 201 202 " ] ||
    fail "a second batch did not add to the summary: $(cut -d, -f1 "$game/summary.csv" | tr '\n' ' ')"
hold "$game/summary.csv"
sleep 0.2
run --seed 300 --count 3 --out "$game"
expect_status 1 "a batch beside another"
grep -q 'another batch is writing into this folder' "$root/err" || fail "a concurrent batch: $(cat "$root/err")"
kill "$holder"
wait "$holder" 2>/dev/null
[ -e "$game/300" ] && fail "a refused batch made a seed"
printf 'not,ours\r\n' >"$root/foreign.csv"
fresh
cp "$root/foreign.csv" "$game/summary.csv"
run --seed 1 --count 2 --out "$game"
expect_status 1 "a summary Tarvenna did not write"
cmp -s "$root/foreign.csv" "$game/summary.csv" || fail "a foreign summary was changed"
fresh
ln -s "$root/elsewhere" "$game/7"
run --seed 7 --count 1 --out "$game"
expect_status 1 "a seed folder planted as a link"
[ -e "$root/elsewhere/$items" ] && fail "a batch wrote through a linked seed folder"

# Standard output that goes away ends the run cleanly: status 141, nothing
# written (seed 371 searches for seconds, marking its progress).
fresh
"$cli" --seed 371 --character chris --locks --out "$game" 2>"$root/err" | head -c 10 >/dev/null
status=${PIPESTATUS[0]}
expect_status 141 "a broken pipe"
[ -z "$(ls -A "$game")" ] || fail "a broken pipe left: $(ls -A "$game")"

# More threads than processors are capped, with a note.
fresh
run --seed 1 --threads 1024 --out "$game"
expect_status 0 "--threads 1024"
grep -q 'note: --threads 1024 is more than' "$root/err" || fail "no note on --threads 1024: $(cat "$root/err")"

# A second user in a shared folder: the lock needs no file of the first's.
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
    shared=$root/shared
    mkdir -p "$shared"
    chmod 777 "$root" "$shared"
    run --seed 1 --out "$shared"
    setpriv --reuid=nobody --regid=nogroup --clear-groups "$cli" --seed 2 --out "$shared" >/dev/null 2>"$root/err"
    status=$?
    expect_status 0 "a second user in a shared folder"
    [ "$(stat -c %U "$shared/$items")" = nobody ] || fail "the second user's pair is not in place"
fi

# No lock file is left in a folder, nor in a batch's.
stray=$(find "$root" -name .tarvenna.lock ! -lname '*')
[ -z "$stray" ] || fail "lock files left: $stray"

finish "hostile folder"
