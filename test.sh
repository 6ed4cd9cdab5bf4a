#!/usr/bin/env bash
# Builds the native and the Windows targets and runs every test: native under ASan and UBSan,
# the fuzzers for a short smoke run, and the Windows build under Wine on a virtual display (where
# a test also builds the players' zip through the package target and checks what it holds).
# Installs whatever Debian packages are missing first. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")"
export DEBIAN_FRONTEND=noninteractive

source scripts/packages.sh
qrvl_install_packages || exit 1

jobs=$(nproc)
failed=()

step() {
    local name=$1
    shift
    echo "==> $name"
    if ! "$@"; then
        failed+=("$name")
    fi
}

native() {
    cmake --preset native >/dev/null &&
        cmake --build --preset native -j "$jobs" &&
        ctest --preset native -j "$jobs"
}

fuzz() {
    cmake --preset fuzz >/dev/null &&
        cmake --build --preset fuzz -j "$jobs" &&
        ctest --preset fuzz -j "$jobs"
}

# The native benchmarks are only built here, so that they keep building; running them is for
# measuring (README, Benchmarks).
benchmarks() {
    cmake --preset bench >/dev/null &&
        cmake --build --preset bench -j "$jobs"
}

windows() {
    cmake --preset windows >/dev/null &&
        cmake --build --preset windows -j "$jobs" &&
        xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows
}

step "native build and tests (ASan, UBSan)" native
step "fuzz smoke runs" fuzz
step "native benchmarks build" benchmarks
step "Windows build and tests (Wine)" windows

if ((${#failed[@]})); then
    printf 'FAILED: %s\n' "${failed[@]}"
    exit 1
fi
echo "All builds and tests passed."
