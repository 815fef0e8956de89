# The Debian packages that building and testing need, and the installation of those missing. Sourced by
# tools/check and tools/demo, not run.

build_packages=(
    git cmake ninja-build g++ clang libclang-rt-14-dev clang-format googletest libpugixml-dev python3
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xauth iproute2 util-linux procps
    fp-utils nsis
)

# Installs the packages given that are missing, as root; as another user, names them and stops.
install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing Debian packages; install them with:" >&2
        echo "  sudo apt-get install --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    echo "installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
