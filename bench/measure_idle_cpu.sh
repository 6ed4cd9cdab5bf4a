#!/usr/bin/env bash
# Measures the CPU time qrvl.exe and its wineserver use over a quiet stretch under Wine on a
# virtual display: the program runs on a tree of 2,000 maps in 200 directories with both kinds
# ticked, so it writes a pick every two seconds, and nothing in the tree changes meanwhile. A third
# argument is added to config.ini's section, a filter for instance ("players=2": the maps are empty
# files, so none fits, every one has been read, and the reading thread must sleep).
#   bench/measure_idle_cpu.sh <qrvl.exe> [seconds] [line]  (WINEPREFIX: default build/wineprefix-idle)
set -euo pipefail
exe=$(realpath "$1")
seconds=${2:-60}
extra=${3:-}
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix-idle}
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
work=$(mktemp -d)
cp "$exe" "$work/qrvl.exe"
for d in $(seq 200); do
    mkdir -p "$work/maps/d$d"
    for m in $(seq 10); do : >"$work/maps/d$d/m$m.$([[ $((m % 2)) == 0 ]] && echo scm || echo scx)"; done
done
printf '[QRVL]\r\npath=Z:%s\\maps\\\r\nscm=yes\r\nscx=yes\r\n%s\r\n' "${work//\//\\}" "$extra" >"$work/config.ini"

source "$root/scripts/wine_display.sh"
qrvl_xvfb_pid=
app_pid=
trap 'set +e; [[ -n $app_pid ]] && kill $app_pid 2>/dev/null; [[ -n $qrvl_xvfb_pid ]] && kill $qrvl_xvfb_pid 2>/dev/null; rm -rf "$work"; true' EXIT
qrvl_start_xvfb 91
qrvl_wine_prefix
# The game's key must exist for the picks to be written.
wine reg add 'HKCU\software\Blizzard Entertainment\Starcraft' /f >/dev/null 2>&1
wine "$work/qrvl.exe" >/dev/null 2>&1 &
app_pid=$!
for _ in $(seq 3000); do
    xdotool search --onlyvisible --name '^Quorvel picker$' >/dev/null 2>&1 && break
    sleep 0.01
done
sleep 30 # start-up done, Wine's own services settled, first ticks past
# The wineserver of this prefix: others may run beside it.
server_pid=
for pid in $(pgrep -x wineserver64; pgrep -x wineserver); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX"; then
        server_pid=$pid
    fi
done
# Time on CPU of every thread of a process, in nanoseconds (schedstat is finer than stat's ticks).
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { printf "%.0f", sum }'; }
app0=$(cpu_ns "$app_pid")
server0=$(cpu_ns "$server_pid")
sleep "$seconds"
app1=$(cpu_ns "$app_pid")
server1=$(cpu_ns "$server_pid")
report() { awk -v ns="$2" -v s="$seconds" -v n="$1" \
    'BEGIN { printf "%s: %.1f ms of CPU in %d s (%.4f%%)\n", n, ns / 1e6, s, 100 * ns / 1e9 / s }'; }
echo "$(cat "/proc/$app_pid/comm") (pid $app_pid, $(ls /proc/"$app_pid"/task | wc -l) threads)"
report qrvl.exe $((app1 - app0))
report wineserver $((server1 - server0))
