# The Debian packages that building and testing need, and the installation of those missing. Sourced by
# tools/check and tools/demo, not run.

build_packages=(
    git cmake ninja-build g++ clang libclang-rt-14-dev clang-format googletest libpugixml-dev python3
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xauth iproute2 util-linux procps
    fp-utils nsis locales
)

# The tests run Wine with LC_ALL=ru_RU.UTF-8 (ANSI code page 1251). Debian does not generate that locale on
# a fresh machine; without it Cyrillic file names and arguments do not reach the programs intact, and
# every shell of the run warns that it cannot set the locale.
test_locale=ru_RU.UTF-8

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

# Generates the locale given (LANGUAGE.CHARSET) when it is missing, as root; as another user, names it and
# stops. `locale -a` spells ru_RU.UTF-8 as ru_RU.utf8.
install_locale() {
    local name=$1 language=${1%%.*} charset=${1#*.}
    spelled() { tr '[:upper:]' '[:lower:]' | tr -d -; }
    locale -a 2>/dev/null | spelled | grep -qxF "$(spelled <<<"$name")" && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing locale $name; generate it with:" >&2
        echo "  sudo localedef -i $language -f $charset $name" >&2
        exit 1
    fi
    echo "generating the locale $name"
    localedef -i "$language" -f "$charset" "$name"
}
