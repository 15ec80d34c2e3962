#!/usr/bin/env bash
# The reference vectors with one kernel set forced through TARVENNA_KERNELS,
# byte for byte, after `--version` has named the set. Where the processor
# lacks the set, the command must refuse it (exit 2, saying so) and the test
# is skipped (77).
# usage: kernels_test.sh PATH/TO/tarvenna SET [compare.sh options]
set -u
cli=$1 set=$2
shift 2
. "$(dirname "$0")/script_support.sh"

TARVENNA_KERNELS=$set "$cli" --version >"$root/version" 2>&1
status=$?
if [ "$status" = 2 ] && grep -q "^tarvenna: TARVENNA_KERNELS=$set: this processor lacks " "$root/version"; then
    echo "skipped: $(cat "$root/version")"
    exit 77
fi
[ "$status" = 0 ] || fail "--version exited with $status: $(cat "$root/version")"
grep -qx "search kernels: $set" "$root/version" || fail "--version does not name $set: $(cat "$root/version")"
TARVENNA_KERNELS=$set "$(dirname "$0")/../data/golden/compare.sh" "$cli" "$@" || fail "the reference vectors differ with $set"
finish "kernels $set"
