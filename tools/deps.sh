# Sourced by run.sh and test.sh: the Debian packages each command needs, the
# check that installs them, and the build helper.

# Building the demo (run.sh, and every test build). SDL 1.2's development
# files come as classic SDL 1.2 (libsdl1.2-dev) or as sdl12-compat, SDL 1.2's
# interface over SDL 2 (libsdl1.2-compat-dev); the two conflict, so either one
# installed will do, and classic is installed when neither is.
QUOR_BUILD_PACKAGES=(cmake ninja-build g++ libsdl1.2-dev)
# The tests and benchmarks (test.sh): GoogleTest, Google Benchmark, the X11
# headers of the window tests' helper, an X server of their own (Xvfb),
# which test.sh waits for with xdpyinfo (x11-utils) and types into with
# xdotool, and ffmpeg (with ffprobe) for the recorder's video test. The
# installed library's test builds examples/ with make and pkg-config and
# feeds them pictures from netpbm and sounds from sox. The manual pages are
# checked with man (man-db, rendering through groff-base) and the desktop
# entry with desktop-file-validate (desktop-file-utils).
QUOR_TEST_PACKAGES=(libgtest-dev libbenchmark-dev libx11-dev xvfb x11-utils xdotool ffmpeg
    make pkg-config netpbm sox man-db groff-base desktop-file-utils)
# The browser build (web.sh): emscripten, and acorn for its JavaScript
# optimiser. Its test (tools/web-test.sh) drives headless Chromium through
# WebDriver from Python.
QUOR_WEB_PACKAGES=(emscripten node-acorn)
QUOR_WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium)
# The Debian packages (package.sh): dpkg-shlibdeps, dpkg-gencontrol and
# dpkg-architecture.
QUOR_PACKAGE_PACKAGES=(dpkg-dev)
# The fuzz targets (test.sh fuzz): clang with libFuzzer and its sanitizer runtimes.
QUOR_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# True when the Debian package $1 is installed.
quor_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Makes sure the Debian packages named in "$@" are installed. As root it
# installs the missing ones; otherwise it prints the one apt-get line to run
# and stops.
quor_need_packages() {
    local missing=()
    local p
    for p in "$@"; do
        quor_installed "$p" && continue
        [ "$p" = libsdl1.2-dev ] && quor_installed libsdl1.2-compat-dev && continue
        missing+=("$p")
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

# The value of NAME in the CMake cache of build folder DIR (empty when unset).
quor_cached() {
    [ -f "$1/CMakeCache.txt" ] || return 0
    sed -n "s/^$2:[A-Z]*=//p;T;q" "$1/CMakeCache.txt"
}

# quor_build DIR -DNAME=VALUE...
# Builds folder DIR with the CMake options given; builds only the targets named
# in QUOR_TARGETS when that is set. It configures first whenever DIR has no
# build files, its last configure here failed, the compiler in CXX is not the
# one it was configured with, or an option given differs from the cached
# value, so no earlier failure or earlier option leaves a folder that ignores
# what is asked now. Such a folder is configured afresh, dropping whatever a
# failed attempt left in its cache; a changed option alone is set in place.
quor_build() {
    local dir=$1
    shift
    local generator build_file stamp=$dir/quor-configured
    generator=$(quor_cached "$dir" CMAKE_GENERATOR)
    [ -n "$generator" ] || generator=Ninja
    case "$generator" in
    Ninja) build_file=build.ninja ;;
    *) build_file=Makefile ;;
    esac

    local how=""
    if [ ! -f "$dir/$build_file" ] || [ ! -f "$stamp" ]; then
        how=fresh
    elif [ -n "${CXX:-}" ] && [ "$(readlink -f "$(command -v "$CXX")")" != \
        "$(readlink -f "$(quor_cached "$dir" CMAKE_CXX_COMPILER)")" ]; then
        how=fresh # CMake never swaps the compiler of a configured folder
    else
        local option name value
        for option in "$@"; do
            case "$option" in
            -D*=*) ;;
            *) continue ;;
            esac
            name=${option#-D}
            name=${name%%=*}
            name=${name%%:*}
            value=${option#*=}
            [ "$(quor_cached "$dir" "$name")" = "$value" ] || how=update
        done
    fi

    if [ -n "$how" ]; then
        local fresh=()
        [ "$how" = fresh ] && fresh=(--fresh -G "$generator")
        rm -f "$stamp"
        cmake "${fresh[@]}" -S . -B "$dir" "$@" >/dev/null || return 1
        touch "$stamp"
    fi
    local targets=()
    [ -n "${QUOR_TARGETS:-}" ] && targets=(--target $QUOR_TARGETS)
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}
