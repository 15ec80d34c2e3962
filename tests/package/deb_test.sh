#!/usr/bin/env bash
# The Linux package as Debian users get it: built into a scratch folder,
# unpacked into a scratch root, its command run on reference vectors, its
# desktop entry, icons and documents where a desktop and dpkg look for them,
# and lintian's verdict.
# usage: deb_test.sh BUILD_DIR SOURCE_DIR
set -u
build=$1 source=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../app/script_support.sh"
. "$here/build_paths.sh"

if ! cpack -G DEB -B "$root/out" -D CPACK_OUTPUT_FILE_PREFIX="$root/out" --config "$build/CPackConfig.cmake" \
    >"$root/cpack.log" 2>&1; then
    cat "$root/cpack.log"
    fail "cpack could not make the package"
    finish "Linux package"
fi
deb=$(find "$root/out" -maxdepth 1 -name '*.deb')
echo "package: $(basename "$deb")"
dpkg-deb -x "$deb" "$root/fs" || fail "dpkg-deb could not unpack the package"
fs=$root/fs

# The installed command makes the reference games, byte for byte.
"$source/tests/data/golden/compare.sh" "$fs/usr/games/tarvenna" --only '^(jill-normal-1|doors-enemies-1|everything-locks-1)$' ||
    fail "the installed tarvenna does not make the reference games"

# The menu entry starts the installed dialog, with an icon the theme holds
# at the sizes desktops ask for.
entry=$fs/usr/share/applications/tarvenna.desktop
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry" 2>/dev/null)
[ -n "$program" ] && [ -x "$fs$program" ] || fail "the desktop entry starts '$program', which is not installed"
icon=$(sed -n 's/^Icon=//p' "$entry" 2>/dev/null)
for size in 16 24 32 48 64 128 256; do
    png=$fs/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    # A PNG's header chunk holds its width and height as 32-bit numbers.
    shape=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$shape" = "${size}x${size}" ] || fail "icon $size: ${png#"$fs"} is '${shape:-missing}'"
done

# The manual pages, and the documents dpkg users look for.
zcat "$fs/usr/share/man/man6/tarvenna.6.gz" 2>/dev/null | grep -q -F -e '\-\-share' ||
    fail "the manual page of tarvenna does not describe its options"
[ -s "$fs/usr/share/man/man6/tarvenna-gui.6.gz" ] || fail "no manual page for tarvenna-gui"
[ -s "$fs/usr/share/doc/tarvenna/copyright" ] || fail "no copyright file"
latest=$(zcat "$fs/usr/share/doc/tarvenna/changelog.Debian.gz" 2>/dev/null | sed -n '1s/^tarvenna (\([^)]*\)).*/\1/p')
[ "$latest" = "$(dpkg-deb -f "$deb" Version)" ] ||
    fail "the changelog's latest entry is '$latest', the package's version $(dpkg-deb -f "$deb" Version)"

check_build_paths "$fs" strings "$source" "$build"

# lintian's warnings are errors here; those kept are overridden in the
# package, each with its reason.
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning --info "$deb" || fail "lintian finds faults in the package"
else
    fail "lintian is not installed"
fi
finish "Linux package"
