#!/usr/bin/env bash
# Two tables from ROUNDS rounds of tarvenna_bench, the median of each
# round's ratios (this machine's speed drifts by 10% and more between runs,
# and a ratio taken within one round drifts less):
# - attempts per second of the plain search against the fast search on one
#   thread, per configuration;
# - deals per second per core of each kernel set the processor runs, and its
#   ratio to the widest (AVX-512 where the processor has it).
# usage: bench/ratios.sh PATH/TO/tarvenna_bench [ROUNDS]
set -euo pipefail
bench=${1:?usage: ratios.sh PATH/TO/tarvenna_bench [ROUNDS]}
rounds=${2:-5}

for round in $(seq 1 "$rounds"); do
    "$bench" --benchmark_filter='BM_SequentialAttempt|BM_FastDeals|BM_KernelDeals' --benchmark_min_time=0.5 2>/dev/null |
        awk -v round="$round" '/^BM_/ {
            n = split($1, name, "/")
            for (i = 2; i <= NF; ++i) {
                if ($i !~ /^(attempts|deals)\/s=/) continue
                value = $i
                sub(/^[a-z]+\/s=/, "", value)
                scale = value ~ /M\/s$/ ? 1e6 : (value ~ /k\/s$/ ? 1e3 : 1)
                sub(/[kM]?\/s$/, "", value)
                # round, configuration, what ran (a kernel set: its name), rate
                print round, name[n], n == 3 ? name[2] : name[1], value * scale
            }
        }'
done | awk -v rounds="$rounds" '
    function median(list, n,   sorted, i, j, t) {
        for (i = 1; i <= n; ++i) sorted[i] = list[i]
        for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (sorted[j] < sorted[i]) { t = sorted[i]; sorted[i] = sorted[j]; sorted[j] = t }
        return n % 2 ? sorted[(n + 1) / 2] : (sorted[n / 2] + sorted[n / 2 + 1]) / 2
    }
    {
        rate[$1, $2, $3] = $4
        # Kernel sets in the order the benchmark lists them: the widest first.
        if ($3 !~ /^BM_/ && !($3 in setIndex)) { setIndex[$3] = ++sets; setName[sets] = $3 }
        if ($3 ~ /^BM_/) configurations[$2] = 1
    }
    END {
        printf "| configuration | plain search | fast search, 1 thread | ratio (median of %d rounds) |\n|---|---|---|---|\n", rounds
        for (c in configurations) {
            n = 0
            for (r = 1; r <= rounds; ++r) {
                plain = rate[r, c, "BM_SequentialAttempt"]; fast = rate[r, c, "BM_FastDeals"]
                if (plain == 0 || fast == 0) continue
                ++n; plains[n] = plain; fasts[n] = fast; ratios[n] = fast / plain
            }
            if (n) line[c] = sprintf("| %s | %.0f k/s | %.1f M/s | %.0f× |", c, median(plains, n) / 1e3, median(fasts, n) / 1e6, median(ratios, n))
        }
        order = "JillNormal ChrisNormal JillLocks ChrisLocks"
        split(order, names, " ")
        for (i = 1; i <= 4; ++i) if (names[i] in line) print line[names[i]]
        if (!sets) exit
        printf "\n| kernel set | Chris Normal, deals/s per core | ratio to %s | Chris Locks, deals/s per core | ratio to %s |\n|---|---|---|---|---|\n", setName[1], setName[1]
        for (s = 1; s <= sets; ++s) {
            row = "| " setName[s]
            for (k = 1; k <= 2; ++k) {
                c = k == 1 ? "ChrisNormal" : "ChrisLocks"
                n = 0
                for (r = 1; r <= rounds; ++r) {
                    widest = rate[r, c, setName[1]]; own = rate[r, c, setName[s]]
                    if (widest == 0 || own == 0) continue
                    ++n; owns[n] = own; ratios[n] = own / widest
                }
                row = row sprintf(" | %.1f M/s | %.2f", n ? median(owns, n) / 1e6 : 0, n ? median(ratios, n) : 0)
            }
            print row " |"
        }
    }'
