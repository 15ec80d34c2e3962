#!/usr/bin/env bash
# Times whole tarvenna runs over seeds 1..N per configuration and prints the
# median, p90, p99 and maximum of the wall time and of the attempt count, and
# the lock proofs (runs where no item deal could pass under the first locks
# dealt, so the whole cycle was ruled out and the locks dealt again): how
# many, and the median and longest of those runs.
# usage: bench/seed_times.sh PATH/TO/tarvenna [N] [--set default|locks] [--raw FILE] [tarvenna options]
#   --set locks  Chris Locks and Chris Hard Locks only
#   --raw FILE   also writes a line per run: configuration, seed, ms, attempts, proofs
set -euo pipefail
usage='usage: seed_times.sh PATH/TO/tarvenna [N] [--set default|locks] [--raw FILE] [options]'
cli=${1:?$usage}
shift
count=40
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then count=$1; shift; fi
set_name=default raw=
while [ $# -gt 0 ]; do
    case $1 in
    --set) set_name=${2:?$usage}; shift 2 ;;
    --raw) raw=${2:?$usage}; shift 2 ;;
    *) break ;;
    esac
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
[ -z "$raw" ] || : >"$raw"

case $set_name in
default) configurations=(
    "Jill Normal|"
    "Chris Normal|--character chris"
    "Jill Locks|--locks"
    "Chris Locks|--locks --character chris") ;;
locks) configurations=(
    "Chris Locks|--locks --character chris"
    "Chris Hard Locks|--locks --character chris --difficulty hard") ;;
*) echo "$usage" >&2; exit 2 ;;
esac

percentile() { # p, then values on stdin
    sort -g | awk -v p="$1" '{v[NR]=$1} END {i=int((NR-1)*p/100+0.5)+1; if (i>NR) i=NR; print v[i]}'
}

printf '| configuration | median ms | p90 ms | p99 ms | max ms (seed) | median attempts | p90 attempts | max attempts | proofs | proof runs: median ms | max ms (seed) |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|\n'
for configuration in "${configurations[@]}"; do
    name=${configuration%%|*}
    flags=${configuration#*|}
    : >"$out/times"
    : >"$out/attempts"
    : >"$out/proofs"
    worst=0 worstSeed=0 worstProof=0 worstProofSeed=-
    for seed in $(seq 1 "$count"); do
        # Bash's own clock: no process started for the timing itself.
        start=${EPOCHREALTIME/[.,]/}
        # shellcheck disable=SC2086
        "$cli" --seed "$seed" $flags "$@" --out "$out" >"$out/log" 2>/dev/null
        end=${EPOCHREALTIME/[.,]/}
        us=$(( end - start ))
        ms=$(( us / 1000 ))
        echo "$ms.$(( us / 100 % 10 ))" >>"$out/times"
        attempts=$(grep -o 'done after [0-9]*' "$out/log" | grep -o '[0-9]*' | tail -1)
        echo "$attempts" >>"$out/attempts"
        redeals=$(grep -c 'dealing the locks again' "$out/log" || true)
        if [ "$redeals" -gt 0 ]; then
            echo "$ms" >>"$out/proofs"
            if [ "$ms" -gt "$worstProof" ]; then worstProof=$ms worstProofSeed=$seed; fi
        fi
        [ -z "$raw" ] || echo "$name $seed $ms $attempts $redeals" >>"$raw"
        if [ "$ms" -gt "$worst" ]; then worst=$ms worstSeed=$seed; fi
    done
    proofs=$(wc -l <"$out/proofs")
    proofMedian=-
    [ "$proofs" -eq 0 ] || proofMedian=$(percentile 50 <"$out/proofs")
    printf '| %s | %s | %s | %s | %s (%s) | %s | %s | %s | %s | %s | %s (%s) |\n' "$name" \
        "$(percentile 50 <"$out/times")" "$(percentile 90 <"$out/times")" "$(percentile 99 <"$out/times")" \
        "$worst" "$worstSeed" \
        "$(percentile 50 <"$out/attempts")" "$(percentile 90 <"$out/attempts")" "$(percentile 100 <"$out/attempts")" \
        "$proofs" "$proofMedian" "$worstProof" "$worstProofSeed"
done
