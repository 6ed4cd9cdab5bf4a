#!/usr/bin/env bash
# The map reader under Wine, on the benchmark corpus (2,000 maps written by the reference
# library, made natively on first use in /tmp/qrvl-bench-corpus):
#   cold reading of every map against reading each file's bytes whole, in one process;
#   "qrvl.exe /list" with a full cache against "qrvl.exe /pick", as whole processes.
# Usage: bench/measure_map_reading.sh [runs]   (after building the bench and windows presets)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-9}
build/bench/bench/make_map_corpus /tmp/qrvl-bench-corpus
export WINEPREFIX=${WINEPREFIX:-$PWD/build/windows/bench-prefix} WINEDEBUG=-all
wine build/windows/bench/map_read_bench.exe "$runs" 'Z:\tmp\qrvl-bench-corpus'
wine build/windows/bench/list_bench.exe "$runs"
