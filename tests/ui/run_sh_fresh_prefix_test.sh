#!/usr/bin/env bash
# ./run.sh as a new user meets it: no display and no Wine prefix yet. Passes only when run.sh
# ends with status 0 having saved both screenshots, the first-run folder dialog and the main
# window. Runs the exe of the given build tree, copied into a scratch folder so that it starts
# without a config.ini.
#   tests/ui/run_sh_fresh_prefix_test.sh <windows build directory>
set -uo pipefail
build_dir=$(realpath "$1")
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
cleanup() {
    # The prefix's own wineserver ends a few seconds after its last program.
    [[ -d $work/prefix ]] && WINEPREFIX=$work/prefix wineserver -w
    rm -rf "$work"
}
trap cleanup EXIT

env -u DISPLAY WINEPREFIX="$work/prefix" QRVL_BUILD_DIR="$build_dir" QRVL_RUN_DIR="$work/run" \
    QRVL_SCREENSHOT_DIR="$work/shots" "$top/run.sh" >"$work/log" 2>&1
status=$?
cat "$work/log"

failed=0
if ((status != 0)); then
    echo "FAIL: run.sh ended with status $status"
    failed=1
fi
for shot in qrvl-first-run.png qrvl.png; do
    if ! identify "$work/shots/$shot" >/dev/null 2>&1; then
        echo "FAIL: no screenshot $shot"
        failed=1
    fi
done
exit $failed
