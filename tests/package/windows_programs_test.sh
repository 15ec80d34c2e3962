#!/usr/bin/env bash
# The Windows programs as the zip takes them (installed and stripped) name
# no folder of the machine that built them, and hold no wxWidgets assertion
# that could stop a player's program with a message box.
# usage: windows_programs_test.sh BUILD_DIR STRINGS PATH...
set -u
build=$1 strings=$2
shift 2
here=$(dirname "$0")
. "$here/../app/script_support.sh"
. "$here/build_paths.sh"

cmake --install "$build" --prefix "$root/zip" --strip >/dev/null || fail "cmake --install failed"
check_build_paths "$root/zip" "$strings" "$@"
# The box wx shows when one of its assertions fails is built only with them.
dialog=$root/zip/tarvenna-gui.exe
if "$strings" -a -e l "$dialog" | grep -q 'wxWidgets Debug Alert'; then
    fail "tarvenna-gui.exe holds wx's assertion message box: wxWidgets is built with its debug support"
fi
finish "Windows programs"
