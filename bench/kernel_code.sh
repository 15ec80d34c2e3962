#!/usr/bin/env bash
# What the compiler made of each kernel set: for the hot kernels of every
# set in a binary (the staged passes' RunSegment, the full pass's LandLead
# and LandAll), how many instructions there are and how many use 512-, 256-
# and 128-bit vector registers. A set whose kernels show no vectors of its
# width was compiled to scalar code, however fast it looks.
# usage: bench/kernel_code.sh PATH/TO/binary [OBJDUMP]
set -euo pipefail
binary=${1:?usage: kernel_code.sh PATH/TO/binary [OBJDUMP]}
objdump=${2:-objdump}

printf '| kernel set | kernel | instructions | zmm | ymm | xmm |\n|---|---|---|---|---|---|\n'
"$objdump" -d -C --no-show-raw-insn "$binary" | awk '
    /^[0-9a-f]+ <.*>:$/ {
        kernel = ""
        if ($0 !~ /tarvenna::lanes::/ || $0 ~ /RunAnySegment/) next
        if ($0 ~ /RunSegment</) kernel = "RunSegment"
        else if ($0 ~ /::LandLead\(/) kernel = "LandLead"
        else if ($0 ~ /::LandAll\(/) kernel = "LandAll"
        if (kernel == "") next
        set = $0 ~ /::N_AVX2::/ ? "avx2" : $0 ~ /::N_SSE4::/ ? "sse4" : $0 ~ /::sse2::/ ? "baseline" : "avx512"
        key = set " | " kernel
        next
    }
    kernel != "" && /^ +[0-9a-f]+:/ {
        total[key]++
        if ($0 ~ /%zmm/) zmm[key]++
        else if ($0 ~ /%ymm/) ymm[key]++
        else if ($0 ~ /%xmm/) xmm[key]++
    }
    END { for (key in total) printf "| %s | %d | %d | %d | %d |\n", key, total[key], zmm[key], ymm[key], xmm[key] }' | sort
