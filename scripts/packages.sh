# Debian packages that building, testing and running qrvl need; sourced by test.sh and run.sh.

QRVL_PACKAGES=(
    cmake g++ make ccache googletest libgtest-dev libbenchmark-dev
    zlib1g-dev libz-mingw-w64-dev libstorm-dev nettle-dev libpng-dev
    clang-14 libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix wine wine64
    xvfb xauth xdotool imagemagick
)

# Installs the packages that are missing, never prompting; 'apt-get update' first.
qrvl_install_packages() {
    local missing=()
    local p
    for p in "${QRVL_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    ((${#missing[@]} == 0)) && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    ((EUID == 0)) || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q &&
        "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}
