#!/usr/bin/env bash
# Ctrl-C during a long item search: exit status 130 and no file written.
# usage: interrupt_test.sh PATH/TO/tarvenna
set -u
cli=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# This lock seed deals some 317 million times before one passes: many seconds.
"$cli" --seed 371 --locks --character chris --out "$out" >"$out.log" 2>"$out.err" &
pid=$!
for _ in $(seq 1 100); do grep -q '\. \. \. \. \.' "$out.log" 2>/dev/null && break; sleep 0.1; done
kill -INT "$pid"
wait "$pid"
status=$?
log=$(cat "$out.log" "$out.err"); rm -f "$out.log" "$out.err"
if [ "$status" != 130 ]; then echo "exit status $status, expected 130"; echo "$log"; exit 1; fi
if [ -n "$(ls -A "$out")" ]; then echo "files were written: $(ls "$out")"; exit 1; fi
echo "interrupted with status 130, no file written"
