# Sourced by run.sh and test.sh: makes sure the Debian packages named in
# "$@" are installed. As root it installs the missing ones; otherwise it
# prints the one apt-get line to run and stops.
quor_need_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null || {
            echo "apt-get install failed for: ${missing[*]}" >&2
            return 1
        }
    else
        echo "Missing packages. Run:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
}

# Configures (once) and builds the given build folder with extra CMake options;
# builds only the targets named in QUOR_TARGETS when that is set.
quor_build() {
    local dir=$1
    shift
    local gen=()
    command -v ninja >/dev/null 2>&1 && [ ! -f "$dir/Makefile" ] && gen=(-G Ninja)
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" "${gen[@]}" "$@" >/dev/null || return 1
    fi
    local targets=()
    [ -n "${QUOR_TARGETS:-}" ] && targets=(--target $QUOR_TARGETS)
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

QUOR_BUILD_PACKAGES=(cmake ninja-build g++ libsdl1.2-dev)
QUOR_TEST_PACKAGES=(libgtest-dev libbenchmark-dev xvfb xdotool x11-utils libx11-dev clang libclang-rt-14-dev)
