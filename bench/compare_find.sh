#!/usr/bin/env bash
# The native catalogue scan as a whole process against find(1) over the same tree, alternating
# runs; prints both medians and their ratio. Build first: cmake --preset bench &&
# cmake --build --preset bench -j2 --target scan_cli. Usage: bench/compare_find.sh [runs] [scan_cli]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-11}
cli=${2:-build/bench/bench/scan_cli}
tree=/tmp/qrvl-bench-maps

"$cli" >/dev/null # makes the tree on first use and warms the caches
if ! cmp -s <("$cli" "$tree" | sort) <(find "$tree" -name '*.sc[mx]' | sort); then
    echo "scan_cli and find list different maps" >&2
    exit 1
fi

seconds() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null
    awk -v end="$EPOCHREALTIME" -v start="$start" 'BEGIN { print end - start }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

scan=() found=()
for ((i = 0; i < runs; i++)); do
    # Each goes first in every other round.
    if ((i % 2 == 0)); then
        scan+=("$(seconds "$cli" "$tree")")
        found+=("$(seconds find "$tree" -name '*.sc[mx]')")
    else
        found+=("$(seconds find "$tree" -name '*.sc[mx]')")
        scan+=("$(seconds "$cli" "$tree")")
    fi
    printf 'run %d: scan_cli %.3f s, find %.3f s\n' $((i + 1)) "${scan[-1]}" "${found[-1]}"
done
scanMedian=$(printf '%s\n' "${scan[@]}" | median)
findMedian=$(printf '%s\n' "${found[@]}" | median)
printf '%d runs each, alternating\nscan_cli median %.3f s\nfind     median %.3f s\nratio    %.2fx\n' \
    "$runs" "$scanMedian" "$findMedian" "$(awk -v a="$scanMedian" -v b="$findMedian" 'BEGIN { print a / b }')"
