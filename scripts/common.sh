# Shared by the scripts: install what is missing, configure build/ (or another folder) once,
# then build all of it or only the programs.
set -euo pipefail

LUMARET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LUMARET_BUILD="$LUMARET_ROOT/build"
LUMARET_PACKAGES=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev
                  qt6-qpa-plugins fonts-dejavu-core
                  qt6-svg-dev libcli11-dev libtomlplusplus-dev desktop-file-utils appstream
                  dpkg-dev file groff-base)

# ensure_packages [PACKAGE...]: installs those of LUMARET_PACKAGES and the given ones
# that are missing.
ensure_packages() {
    local missing=()
    for package in "${LUMARET_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing missing packages: ${missing[*]}"
    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
        as_root=(sudo)
    fi
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# The targets the program needs to run: the program, the simulator on a pseudo-terminal
# and the firmware updater it starts. No test or benchmark is among them.
LUMARET_PROGRAM_TARGETS=(lumaret lumaret-board lumaret_update)

# configure_lumaret [FOLDER [CMAKE OPTION...]]: configures FOLDER (build/ by default) with
# the options the first time. Every script configures through here, so that they share one
# build folder and cache and never build a file twice.
configure_lumaret() {
    local folder=${1:-$LUMARET_BUILD}
    shift $(($# > 0))
    [ -f "$folder/CMakeCache.txt" ] && return 0
    cmake -S "$LUMARET_ROOT" -B "$folder" -G Ninja \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMARET_WERROR=ON "$@"
}

# build_lumaret [FOLDER [CMAKE OPTION...]]: configures FOLDER, then builds all of it
# (tests and benchmarks included) incrementally.
build_lumaret() {
    configure_lumaret "$@" || return
    cmake --build "${1:-$LUMARET_BUILD}" --parallel
}
