#!/bin/sh
# Runs a Windows program under Wine as on a player's desktop: a window
# manager (openbox) on the display, which Wine leaves the windows' frames
# to, and the display at DPI dots per inch (96: 100 %, 144: 150 %). Wine
# reads the DPI as a program starts, so a test at another DPI needs a Wine
# prefix of its own (TARVENNA_WINEPREFIX) beside tests that run at once.
# A picture the program saves as TARVENNA_SCREENSHOT (a .bmp: the Windows
# build has no PNG writer) is turned into a PNG beside it.
# usage: wine_desktop_run.sh WINE_RUN DPI PROGRAM [ARGUMENT...]
set -u
wine_run=$1 dpi=$2
shift 2

# openbox reads its settings (tests/ui/openbox-rc.xml) from a folder of its own.
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
mkdir "$settings/openbox"
cp "$(dirname "$0")/openbox-rc.xml" "$settings/openbox/rc.xml"
ready=$settings/ready
XDG_CONFIG_HOME=$settings openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
window_manager=$!
waited=0
until [ -e "$ready" ]; do
    if [ $waited -ge 100 ] || ! kill -0 $window_manager 2>/dev/null; then
        echo "wine_desktop_run: openbox did not start" >&2
        exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
done

"$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
TARVENNA_DISPLAY_DPI=$dpi "$wine_run" "$@"
status=$?
kill $window_manager

picture=${TARVENNA_SCREENSHOT:-}
if [ -n "$picture" ] && [ -f "$picture" ]; then
    bmptopnm "$picture" 2>/dev/null | pnmtopng >"${picture%.bmp}.png" && rm "$picture" ||
        echo "wine_desktop_run: could not make a PNG of $picture (netpbm)" >&2
fi
exit $status
