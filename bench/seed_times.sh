#!/usr/bin/env bash
# Times whole tarvenna runs over seeds 1..N per configuration and prints the
# median, p90 and maximum of the wall time and of the attempt count.
# usage: bench/seed_times.sh PATH/TO/tarvenna [N] [extra tarvenna options]
set -euo pipefail
cli=${1:?usage: seed_times.sh PATH/TO/tarvenna [N] [options]}
count=${2:-40}
shift $(( $# >= 2 ? 2 : 1 ))
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

configurations=(
    "Jill Normal|"
    "Chris Normal|--character chris"
    "Jill Locks|--locks"
    "Chris Locks|--locks --character chris"
)

percentile() { # p, then values on stdin
    sort -g | awk -v p="$1" '{v[NR]=$1} END {i=int((NR-1)*p/100+0.5)+1; if (i>NR) i=NR; print v[i]}'
}

printf '| configuration | median ms | p90 ms | max ms (seed) | median attempts | p90 attempts | max attempts |\n'
printf '|---|---|---|---|---|---|---|\n'
for configuration in "${configurations[@]}"; do
    name=${configuration%%|*}
    flags=${configuration#*|}
    : >"$out/times"
    : >"$out/attempts"
    worst=0 worstSeed=0
    for seed in $(seq 1 "$count"); do
        # Bash's own clock: no process started for the timing itself.
        start=${EPOCHREALTIME/[.,]/}
        # shellcheck disable=SC2086
        "$cli" --seed "$seed" $flags "$@" --out "$out" >"$out/log" 2>/dev/null
        end=${EPOCHREALTIME/[.,]/}
        us=$(( end - start ))
        ms=$(( us / 1000 ))
        echo "$(( us / 1000 )).$(( us / 100 % 10 ))" >>"$out/times"
        grep -o 'done after [0-9]*' "$out/log" | grep -o '[0-9]*' >>"$out/attempts"
        if [ "$ms" -gt "$worst" ]; then worst=$ms worstSeed=$seed; fi
    done
    printf '| %s | %s | %s | %s (%s) | %s | %s | %s |\n' "$name" \
        "$(percentile 50 <"$out/times")" "$(percentile 90 <"$out/times")" "$worst" "$worstSeed" \
        "$(percentile 50 <"$out/attempts")" "$(percentile 90 <"$out/attempts")" "$(percentile 100 <"$out/attempts")"
done
