#!/usr/bin/env bash
# Times qrvl.exe from its start to its shown main window under Wine on a virtual display, against
# two floors started the same way in the same prefix, runs alternating, and prints each time, the
# medians in milliseconds and each median's ratio to both floors:
# - the window floor: qrvl.exe's own main window, made by the same code with the same controls,
#   menus, icon and manifest, reading, scanning and writing nothing (startup_window_floor);
# - the empty window: a bare window with the same caption, which leaves out only Wine's own start
#   (startup_empty_window).
#   bench/measure_startup.sh [build dir] [runs] [other qrvl.exe...]
# The build directory (default build/windows) gives qrvl.exe, the floors and the timer (targets
# qrvl, startup_window_floor, startup_empty_window, startup_timer); other exes, an older build for
# instance, are timed in the same runs. WINEPREFIX defaults to build/wineprefix-startup, made on
# first use.
#
# Each qrvl.exe runs from a folder of its own whose config.ini names a small maps folder with both
# boxes ticked: no first-run dialog, and the whole start-up sequence (config.ini read, the folder
# scanned, the boxes ticked, two updates of the game's list) comes before the window shows.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$top/build/windows}")
runs=${2:-21}
shift $(($# < 2 ? $# : 2))
export WINEPREFIX=${WINEPREFIX:-$top/build/wineprefix-startup}
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=

work=$(mktemp -d)
mkdir -p "$work/empty" "$work/floor" "$work/maps/more"
touch "$work/maps/a.scm" "$work/maps/b.scx" "$work/maps/more/c.scm" "$work/maps/more/d.scx"
programs=()
n=0
for exe in "$build/ui/win32/qrvl.exe" "$@"; do
    n=$((n + 1))
    mkdir "$work/qrvl$n"
    cp "$exe" "$work/qrvl$n/qrvl.exe"
    printf '[QRVL]\r\npath=Z:%s\\\r\nscm=yes\r\nscx=yes\r\n' "$(tr / '\\' <<<"$work/maps")" \
        >"$work/qrvl$n/config.ini"
    programs+=("Z:$work/qrvl$n/qrvl.exe")
done
# The window floor finds a config.ini beside it, as qrvl.exe does, so that it opens no first-run
# dialog; it reads nothing from it.
cp "$build/bench/startup_window_floor.exe" "$work/floor/floor.exe"
: >"$work/floor/config.ini"
cp "$build/bench/startup_empty_window.exe" "$work/empty/empty.exe"
programs+=("Z:$work/floor/floor.exe" "Z:$work/empty/empty.exe")

source "$top/scripts/wine_display.sh"
qrvl_xvfb_pid=
cleanup() {
    set +e
    [[ -n $qrvl_xvfb_pid ]] && kill "$qrvl_xvfb_pid" && wait "$qrvl_xvfb_pid"
    rm -rf "$work"
} 2>/dev/null
trap cleanup EXIT
qrvl_start_xvfb 91
qrvl_wine_prefix
# A server still up from an earlier session (no display, or a virtual one since gone) would
# leave every window without a driver: the timed session starts with a server of its own.
wineserver -w
# The updates at start write to the game's key; without it they would stop short.
wine reg add 'HKCU\software\Blizzard Entertainment\Starcraft' /f >/dev/null 2>&1
wine "$build/bench/startup_timer.exe" "$runs" /floors:2 "${programs[@]}" </dev/null 2>&1 |
    sed "s|Z:$work/||g"
