# Shared by the scripts: install what is missing, then build into build/ (or another folder).
set -euo pipefail

LUMARET_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LUMARET_BUILD="$LUMARET_ROOT/build"
LUMARET_PACKAGES=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev
                  qt6-qpa-plugins fonts-dejavu-core
                  qt6-svg-dev desktop-file-utils appstream dpkg-dev file groff-base
                  libtomlplusplus-dev)

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

# build_lumaret [FOLDER [CMAKE OPTION...]]: configures FOLDER (build/ by default) with the
# options the first time, then builds it incrementally.
build_lumaret() {
    local folder=${1:-$LUMARET_BUILD}
    shift $(($# > 0))
    if [ ! -f "$folder/CMakeCache.txt" ]; then
        cmake -S "$LUMARET_ROOT" -B "$folder" -G Ninja \
              -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMARET_WERROR=ON "$@" || return
    fi
    cmake --build "$folder" --parallel
}
