#!/usr/bin/env bash
# The kernel choice on processors this machine is not: the command under
# qemu-user on an emulated Haswell (AVX2, no AVX-512), Nehalem (SSE4.2) and
# the plain x86-64 of qemu64 (SSE2) chooses the set each has, refuses a set
# it lacks, and writes the reference files of a few short vectors byte for
# byte. Skipped (77) without qemu-x86_64.
# usage: qemu_kernels_test.sh PATH/TO/tarvenna
set -u
cli=$1
. "$(dirname "$0")/script_support.sh"
command -v qemu-x86_64 >/dev/null || { echo "skipped: no qemu-x86_64 (Debian's qemu-user)"; exit 77; }
vectors='^(jill-normal-1|chris-normal-1|locks-chris-1|locks-jill-hard-2|doors-chris-1|enemies-many-random-1|pool-all-1)$'

for processor in Haswell-v4:avx2:avx512 Nehalem-v2:sse4:avx2 qemu64:baseline:sse4; do
    IFS=: read -r cpu expected lacking <<<"$processor"
    printf '#!/bin/sh\nexec qemu-x86_64 -cpu %s %q "$@"\n' "$cpu" "$cli" >"$root/$cpu"
    chmod +x "$root/$cpu"
    chosen=$("$root/$cpu" --version 2>/dev/null | sed -n 's/^search kernels: //p')
    [ "$chosen" = "$expected" ] || fail "on $cpu the command chose '$chosen', not $expected"
    TARVENNA_KERNELS=$lacking "$root/$cpu" --version >/dev/null 2>"$root/refused"
    status=$?
    [ "$status" = 2 ] && grep -q "TARVENNA_KERNELS=$lacking: this processor lacks" "$root/refused" ||
        fail "on $cpu, $lacking forced gave exit $status: $(grep tarvenna "$root/refused")"
    "$(dirname "$0")/../data/golden/compare.sh" "$root/$cpu" --only "$vectors" || fail "the reference vectors differ on $cpu"
done
finish "qemu kernel choice"
