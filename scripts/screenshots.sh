#!/usr/bin/env bash
# Redraws the README's screenshots: the main window, the About window, the Filter window and the
# Maps window, under Wine on Xvfb, over a folder of sample maps.
# Needs a built qrvl.exe and the native build's sample_maps (./test.sh builds both).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
exe=$top/build/windows/ui/win32/qrvl.exe
samples=$top/build/native/tests/sample_maps
[[ -x $samples ]] || cmake --build --preset native --target sample_maps >/dev/null
work=$(mktemp -d)
cp "$exe" "$work/qrvl.exe"
# A filter, so that the Filter window shows some boxes ticked and counts real maps.
printf '[QRVL]\r\npath=C:\\Games\\Starcraft\\Maps\\\r\nscm=yes\r\nscx=yes\r\nplayers=2,4\r\ntilesets=Jungle\r\n' \
    >"$work/config.ini"

export WINEPREFIX=$top/build/wineprefix-run WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
maps=$WINEPREFIX/drive_c/Games/Starcraft/Maps

source scripts/wine_display.sh
qrvl_xvfb_pid=
wine_pid=
cleanup() {
    set +e
    [[ -n $wine_pid ]] && kill "$wine_pid" && wait "$wine_pid"
    [[ -n $qrvl_xvfb_pid ]] && kill "$qrvl_xvfb_pid" && wait "$qrvl_xvfb_pid"
    rm -rf "$work" "$maps"
} 2>/dev/null
trap cleanup EXIT
qrvl_start_xvfb 90 1024x768x24
qrvl_wine_prefix
# The sample maps where the config names them, with a favourite and a "never" map.
rm -rf "$maps"
"$samples" "$maps"
wine "$work/qrvl.exe" /mark favourite 'C:\Games\Starcraft\Maps\(2)Lost Temple.scm'
wine "$work/qrvl.exe" /mark favourite 'C:\Games\Starcraft\Maps\ladder\(2)Icarus.scx'
wine "$work/qrvl.exe" /mark never 'C:\Games\Starcraft\Maps\(8)Big Game Hunters.scm'

wine "$work/qrvl.exe" >/dev/null 2>&1 &
wine_pid=$!
main=$(xdotool search --sync --name '^Quorvel picker$' | head -1)
sleep 2
import -window root "$work/main.png"
# The menu bar's "About" item, clicked as a user would.
xdotool mousemove --window "$main" 48 8 click 1
timeout 20 xdotool search --sync --name '^About Quorvel picker$' >/dev/null
sleep 1
import -window root "$work/about.png"
xdotool key --window "$(xdotool search --name '^About Quorvel picker$' | head -1)" Escape
sleep 1

# A right-click on the main window's client area, then the pop-up menu's second item ("Maps..."
# comes first), 17 pixels a row.
xdotool mousemove --window "$main" 280 26 click 3
sleep 1
xdotool mousemove_relative 12 27 click 1
filter=$(timeout 20 xdotool search --sync --name '^Map filter$' | head -1)
# Away from the boxes, which would show the pointer's hover.
xdotool mousemove 1000 700
sleep 2
import -window root "$work/filter.png"
eval "$(xdotool getwindowgeometry --shell "$filter")"
filter_geometry=${WIDTH}x${HEIGHT}+${X}+${Y}
xdotool key --window "$filter" Escape
sleep 1

# Ctrl+M on the main window opens the Maps window; sorted by its Mark column, favourites first,
# with the first of them (Lost Temple) selected and in the preview pane.
xdotool key --window "$main" ctrl+m
list=$(timeout 20 xdotool search --sync --name '^Maps$' | head -1)
sleep 3
eval "$(xdotool getwindowgeometry --shell "$list")"
# The Mark column's header, then the list's first row.
xdotool mousemove $((X + 30)) $((Y + 45)) click 1
sleep 0.5
xdotool mousemove $((X + 120)) $((Y + 62)) click 1
xdotool mousemove 1000 740
sleep 2
import -window root "$work/maps.png"

# Xvfb has no window manager, so each window is its client area and menu bar, placed by Wine:
# the main window at the default position, the About window at its stored one.
convert "$work/main.png" -crop 313x104+3+22 +repage docs/screenshots/main-window.png
convert "$work/about.png" -crop 231x312+538+160 +repage -trim +repage docs/screenshots/about-window.png
# The Filter window is centred over the main window, wherever that puts it.
convert "$work/filter.png" -crop "$filter_geometry" +repage docs/screenshots/filter-window.png
convert "$work/maps.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/screenshots/maps-window.png
echo "Saved docs/screenshots/main-window.png, about-window.png, filter-window.png and maps-window.png"
