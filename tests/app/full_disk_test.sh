#!/usr/bin/env bash
# A real full disk: a tiny tmpfs in a private mount namespace, filled up
# before a run, and filled so that only the first file fits. The previous
# pair stays whole, nothing is left behind, the status is 1, and once there
# is room again the next run succeeds.
# usage: full_disk_test.sh PATH/TO/tarvenna
# Exits 77 (skipped) where a private mount is refused.
set -u
cli=$1
if [ "${TARVENNA_IN_NAMESPACE:-}" != 1 ]; then
    TARVENNA_IN_NAMESPACE=1 exec unshare --mount --map-root-user "$0" "$@" 2>/dev/null ||
        TARVENNA_IN_NAMESPACE=1 exec unshare --mount "$0" "$@"
fi
. "$(dirname "$0")/script_support.sh"
trap 'umount "$root/disk" 2>/dev/null; rm -rf "$root"' EXIT
mkdir -p "$root/disk"
if ! mount -t tmpfs -o size=256k tmpfs "$root/disk" 2>"$root/mount.err"; then
    echo "skipped: a private tmpfs cannot be mounted here: $(cat "$root/mount.err")"
    exit 77
fi
disk=$root/disk
pair=(ItemListChrisNormal.txt CheatSheetChrisNormal.txt)

"$cli" --seed 3 --character chris --out "$disk" >/dev/null 2>&1 || fail "the first pair could not be written: status $?"
for name in "${pair[@]}"; do cp "$disk/$name" "$root/before-$name"; done

# Fills the disk, then frees `room` bytes of it.
fill() {
    rm -f "$disk/filler"
    dd if=/dev/zero of="$disk/filler" bs=4096 2>/dev/null
    [ "$1" = 0 ] || truncate -s "-$1" "$disk/filler"
}

check_refused() {
    local what=$1
    "$cli" --seed 4 --character chris --out "$disk" >"$root/log" 2>"$root/err"
    local status=$?
    [ "$status" = 1 ] || fail "$what: exited with $status, expected 1"
    tail -1 "$root/log" | grep -q 'failed: .*[Ss]pace' || fail "$what: the log ends: $(tail -c 200 "$root/log")"
    for name in "${pair[@]}"; do
        cmp -s "$disk/$name" "$root/before-$name" || fail "$what: $name changed"
    done
    local left
    left=$(ls -A "$disk" | grep -v -x -e filler -e "${pair[0]}" -e "${pair[1]}")
    [ -z "$left" ] || fail "$what: left behind: $left"
}

fill 0
check_refused "a full disk"
# Room for the item list's temporary file but not the cheat sheet's.
fill $((4096 * 2))
check_refused "room for one file"

# Every amount of room from none to 40 pages: the old pair and status 1, or
# the new pair and status 0, and never anything left behind.
"$cli" --seed 4 --character chris --out "$root" >/dev/null 2>&1
for pages in $(seq 0 40); do
    rm -f "$disk/filler"
    for name in "${pair[@]}"; do cp "$root/before-$name" "$disk/$name"; done
    fill $((4096 * pages))
    "$cli" --seed 4 --character chris --out "$disk" >/dev/null 2>&1
    status=$?
    case $status in
    0) expected=$root/ ;;
    1) expected=$root/before- ;;
    *) fail "$pages pages free: exited with $status"; continue ;;
    esac
    for name in "${pair[@]}"; do
        cmp -s "$disk/$name" "$expected$name" || fail "$pages pages free: exit $status with another $name"
    done
    left=$(ls -A "$disk" | grep -v -x -e filler -e "${pair[0]}" -e "${pair[1]}")
    [ -z "$left" ] || fail "$pages pages free: left behind: $left"
done

rm -f "$disk/filler"
for name in "${pair[@]}"; do cp "$root/before-$name" "$disk/$name"; done
"$cli" --seed 4 --character chris --out "$disk" >/dev/null 2>&1 || fail "with room again, the run exited with $?"
cmp -s "$disk/${pair[0]}" "$root/before-${pair[0]}" && fail "with room again, the item list was not replaced"

finish "full disk"
