#!/usr/bin/env bash
# Times qrvl.exe from launch to a visible main window under Wine on a virtual display, several
# runs against a warm wineserver, and prints each time and the median in milliseconds.
#   tests/ui/measure_startup.sh <qrvl.exe> [runs]     (WINEPREFIX: default build/wineprefix-run)
set -euo pipefail
exe=$(realpath "$1")
runs=${2:-7}
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/wineprefix-run}
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
# A config.ini beside the exe keeps the first-run folder dialog out of the measurement.
[[ -f $(dirname "$exe")/config.ini ]] || printf '[QRVL]\r\nscm=no\r\nscx=no\r\n' >"$(dirname "$exe")/config.ini"

screen_no=91
while [[ -e /tmp/.X11-unix/X$screen_no || -e /tmp/.X$screen_no-lock ]]; do screen_no=$((screen_no + 1)); done
Xvfb ":$screen_no" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
app_pid=
trap 'set +e; [[ -n $app_pid ]] && kill $app_pid 2>/dev/null; kill $xvfb_pid 2>/dev/null; true' EXIT
export DISPLAY=:$screen_no
# Stays up between runs: the warm case a player sees. One may be up already from a last run.
wineserver -p 60 || true
sleep 1
wine cmd /c exit >/dev/null 2>&1 # one warm-up start of Wine itself

times=()
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    wine "$exe" >/dev/null 2>&1 &
    app_pid=$!
    # xdotool's own --sync polls only twice a second; poll every 10 ms instead.
    for _ in $(seq 6000); do
        xdotool search --onlyvisible --name '^Quorvel picker$' >/dev/null 2>&1 && break
        sleep 0.01
    done
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=
    sleep 0.5
done
printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' '
echo
echo "median: $(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p") ms"
