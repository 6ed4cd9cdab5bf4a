#!/usr/bin/env bash
# Builds qrvl.exe and starts it: on Windows directly, on Linux under Wine. Without a display it
# runs on a virtual one, saves a screenshot of each window it shows, and ends the program again.
#
#   ./run.sh                         a private Wine prefix under build/
#   WINEPREFIX=~/.wine-sc ./run.sh   the game's prefix, so the picks reach the game's registry
#   QRVL_BUILD_DIR=build/mine ./run.sh   another build directory (default build/windows)
#   QRVL_RUN_DIR=/tmp/try ./run.sh   runs a copy of qrvl.exe there, with a config.ini of its own
#   QRVL_SCREENSHOT_DIR=/tmp/shots ./run.sh   where the screenshots go (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")"
top=$PWD
build_dir=${QRVL_BUILD_DIR:-build/windows}

case "$(uname -s)" in
MINGW* | MSYS* | CYGWIN*)
    cmake --preset windows -B "$build_dir" >/dev/null
    cmake --build "$build_dir" --target qrvl
    exec "$build_dir/ui/win32/qrvl.exe"
    ;;
esac

export DEBIAN_FRONTEND=noninteractive
source scripts/packages.sh
qrvl_install_packages

cmake --preset windows -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target qrvl -j "$(nproc)"
case $build_dir in
/*) exe=$build_dir/ui/win32/qrvl.exe ;;
*) exe=$top/$build_dir/ui/win32/qrvl.exe ;;
esac
echo "Built $exe ($(stat -c %s "$exe") bytes)"
if [[ -n ${QRVL_RUN_DIR:-} ]]; then
    mkdir -p "$QRVL_RUN_DIR"
    cp "$exe" "$QRVL_RUN_DIR/qrvl.exe"
    exe=$(realpath "$QRVL_RUN_DIR/qrvl.exe")
fi

export WINEPREFIX=${WINEPREFIX:-$top/build/wineprefix-run}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts on a fresh prefix: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

source scripts/wine_display.sh

if [[ -n ${DISPLAY:-} ]]; then
    qrvl_wine_prefix
    echo "Starting qrvl.exe under Wine in $WINEPREFIX"
    exec wine "$exe"
fi

# No display: a virtual one, screenshots, then everything we started is ended by its PID.
qrvl_xvfb_pid=
wine_pid=
errors=$(mktemp)
cleanup() {
    # Under set -e a killed child's status would end this function before Xvfb is stopped.
    set +e
    if [[ -n $wine_pid ]]; then
        kill "$wine_pid" 2>/dev/null
        wait "$wine_pid" 2>/dev/null
    fi
    if [[ -n $qrvl_xvfb_pid ]]; then
        kill "$qrvl_xvfb_pid" 2>/dev/null
        wait "$qrvl_xvfb_pid" 2>/dev/null
    fi
    rm -f "$errors"
    return 0
}
trap cleanup EXIT
trap 'exit 1' INT TERM
qrvl_start_xvfb 99
qrvl_wine_prefix

# The program's own lines on standard error start with "qrvl:"; Wine adds lines of its own.
wine "$exe" >/dev/null 2>"$errors" &
wine_pid=$!
shots=${QRVL_SCREENSHOT_DIR:-$top/build/screenshots}
mkdir -p "$shots"

# A first run (no config.ini beside the exe) asks for the maps directory before the window shows.
# The dialog is cancelled here, as a user would, and the window then shows with no directory.
main_window=
dialog_shot=
for _ in $(seq 600); do
    main_window=$(xdotool search --onlyvisible --name '^Quorvel picker$' 2>/dev/null | head -1 || true)
    [[ -n $main_window ]] && break
    dialog=$(xdotool search --onlyvisible --name 'Browse for Folder|Rechercher un dossier' 2>/dev/null | head -1 || true)
    if [[ -n $dialog ]]; then
        if [[ -z $dialog_shot ]]; then
            sleep 1
            dialog_shot=$shots/qrvl-first-run.png
            import -window root "$dialog_shot"
            echo "Screenshot of the first-run folder dialog: $dialog_shot"
        fi
        # Without a window manager nothing gives the dialog the focus; give it, then Esc.
        xdotool windowfocus --sync "$dialog" key --clearmodifiers Escape 2>/dev/null || true
        sleep 0.5
    fi
    kill -0 "$wine_pid" 2>/dev/null || break
    sleep 0.1
done
if [[ -z $main_window ]]; then
    if kill -0 "$wine_pid" 2>/dev/null; then
        echo "qrvl.exe showed no window within a minute" >&2
    else
        status=0
        wait "$wine_pid" || status=$?
        wine_pid=
        grep '^qrvl:' "$errors" >&2 || true
        echo "qrvl.exe ended with status $status before it showed its window" >&2
    fi
    exit 1
fi
sleep 1
import -window root "$shots/qrvl.png"
echo "Screenshot of the main window: $shots/qrvl.png"
