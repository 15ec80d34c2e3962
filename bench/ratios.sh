#!/usr/bin/env bash
# Attempts per second of the plain search against the fast search on one
# thread, per configuration: ROUNDS rounds that each run both back to back,
# and the median of the rounds' ratios (this machine's speed drifts by 10%
# and more between runs, and a ratio taken within one round drifts less).
# usage: bench/ratios.sh PATH/TO/tarvenna_bench [ROUNDS]
set -euo pipefail
bench=${1:?usage: ratios.sh PATH/TO/tarvenna_bench [ROUNDS]}
rounds=${2:-5}

printf '| configuration | plain search | fast search, 1 thread | ratio (median of %d rounds) |\n|---|---|---|---|\n' "$rounds"
for round in $(seq 1 "$rounds"); do
    "$bench" --benchmark_filter='BM_SequentialAttempt|BM_FastDeals' --benchmark_min_time=0.5 2>/dev/null |
        awk -v round="$round" '/^BM_/ {
            split($1, name, "/")
            for (i = 2; i <= NF; ++i) {
                if ($i !~ /^attempts\/s=/) continue
                value = substr($i, 12)
                scale = value ~ /M\/s$/ ? 1e6 : (value ~ /k\/s$/ ? 1e3 : 1)
                sub(/[kM]?\/s$/, "", value)
                print round, name[2], name[1], value * scale
            }
        }'
done | sort -k2,2 -k1,1n | awk '
    function median(list, n,   sorted, i, j, t) {
        for (i = 1; i <= n; ++i) sorted[i] = list[i]
        for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (sorted[j] < sorted[i]) { t = sorted[i]; sorted[i] = sorted[j]; sorted[j] = t }
        return n % 2 ? sorted[(n + 1) / 2] : (sorted[n / 2] + sorted[n / 2 + 1]) / 2
    }
    { rate[$2, $1, $3] = $4; seen[$2] = 1; if ($1 > last) last = $1 }
    END {
        for (configuration in seen) {
            n = 0
            for (r = 1; r <= last; ++r) {
                plain = rate[configuration, r, "BM_SequentialAttempt"]
                fast = rate[configuration, r, "BM_FastDeals"]
                if (plain == 0 || fast == 0) continue
                ++n; plains[n] = plain; fasts[n] = fast; ratios[n] = fast / plain
            }
            printf "| %s | %.0f k/s | %.1f M/s | %.0f× |\n", configuration, median(plains, n) / 1e3, median(fasts, n) / 1e6, median(ratios, n)
        }
    }' | sort -t'|' -k2,2
