# Sourced by the command's test scripts: a scratch folder `root`, removed on
# exit, and fail, which reports a failed check and counts it. End a script
# with `finish NAME`.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() {
    [ "$failures" = 0 ] && echo "$1: all checks passed"
    exit $((failures > 0))
}
