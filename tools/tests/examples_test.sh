#!/usr/bin/env bash
# The installed library as a user gets it: installs this build's dev
# component into a scratch prefix, checks the headers there, builds examples/
# (copied out of the tree) with CMake and again with make and pkg-config, and
# runs both builds of both programs on pictures made by netpbm and sounds made
# by sox.
#   examples_test.sh SOURCE_DIR BUILD_DIR [FLAGS]
#   examples_test.sh SOURCE_DIR --installed
# --installed checks the library the system has installed in /usr (the
# package libquor7706-dev) instead, found the way a user's build finds it.
# FLAGS (the sanitizer options of a checked build) go to every compile and link,
# as the installed libraries need them.
set -euo pipefail
src=$1
build=$2
flags=${3:-}

fail() {
    echo "examples_test: FAIL: $*" >&2
    exit 1
}
need() {
    command -v "$1" >/dev/null || fail "$1 is missing: install the Debian package $2"
}
need g++ g++
need cmake cmake
need make make
need pkg-config pkg-config
need sox sox
for tool in ppmpat ppmmake pnmcat pnmenlarge pgmramp pnmtoplainpnm ppmtoppm; do
    need "$tool" netpbm
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ---- The installed files --------------------------------------------------------
if [ "$build" = --installed ]; then
    prefix=/usr
    search=()
else
    prefix=$work/prefix
    cmake --install "$build" --prefix "$prefix" --component dev >"$work/install.log" ||
        fail "cmake --install failed: $(cat "$work/install.log")"
    search=(-DCMAKE_PREFIX_PATH="$prefix")
fi
inc=$prefix/include/quor7706
for folder in container image raster text audio platform; do
    [ -d "$inc/$folder" ] || fail "no headers installed for $folder"
    [ -n "$(find "$prefix/lib" -maxdepth 2 -name "libquor7706_$folder.a")" ] ||
        fail "libquor7706_$folder.a is not installed"
done
internal=$(find "$inc" -name '*_internal.h')
[ -z "$internal" ] || fail "internal headers installed: $internal"
# Every header compiles on its own, included as a user includes it ("image/img.h")
# with nothing but the include folder.
(cd "$inc" && find . -name '*.h' | sed 's|^\./||' | sort) >"$work/headers"
[ "$(wc -l <"$work/headers")" -ge 6 ] || fail "too few headers installed"
xargs -n 1 -P 2 sh -c 'echo "#include \"$1\"" |
    g++ -std=c++20 -Wall -Wextra -Werror -fsyntax-only -I "$0" -x c++ - ||
    { echo "examples_test: FAIL: $1 does not compile on its own" >&2; exit 255; }' "$inc" \
    <"$work/headers" || exit 1
pc=$(find "$prefix/lib" -maxdepth 3 -name quor7706.pc)
[ -n "$pc" ] || fail "quor7706.pc is not installed"

# ---- Both builds of the examples, from a copy outside the tree ------------------
cp -r "$src/examples" "$work/examples"
cmake -S "$work/examples" -B "$work/cmake-build" -DCMAKE_BUILD_TYPE=Release \
    "${search[@]}" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror $flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$work/cmake.log" 2>&1 ||
    fail "configuring examples/ with CMake: $(cat "$work/cmake.log")"
cmake --build "$work/cmake-build" >"$work/cmake-build.log" 2>&1 ||
    fail "building examples/ with CMake: $(cat "$work/cmake-build.log")"
pkg_path=$(dirname "$pc")
[ "$prefix" = /usr ] && pkg_path=${PKG_CONFIG_PATH:-}
PKG_CONFIG_PATH=$pkg_path CXXFLAGS="-Werror $flags" LDFLAGS="$flags" \
    make -C "$work/examples" >"$work/make.log" 2>&1 ||
    fail "building examples/ with make: $(cat "$work/make.log")"

# ---- Inputs ---------------------------------------------------------------------
in=$work/in
mkdir "$in"
ppmpat -gingham3 97 61 >"$in/check.ppm"
pnmtoplainpnm "$in/check.ppm" >"$in/check_plain.ppm"
pgmramp -lr 64 32 >"$in/ramp.pgm"
ppmtoppm <"$in/ramp.pgm" >"$in/ramp_rgb.ppm"
pnmenlarge 2 "$in/check.ppm" >"$in/check2.ppm"
# Red above blue, twice as high as wide: where each half goes shows the turn.
ppmmake red 40 40 >"$in/red.ppm"
ppmmake blue 40 40 >"$in/blue.ppm"
pnmcat -tb "$in/red.ppm" "$in/blue.ppm" >"$in/flag.ppm"
sox -n -r 22050 -b 16 -c 1 "$in/tone.wav" synth 0.5 sine 440
sox -n -r 8000 -b 8 -c 1 "$in/tone8.wav" synth 0.2 sine 300
sox -n -r 8000 -b 16 -c 2 "$in/stereo.wav" synth 0.1 sine 300

# The pixel bytes of a P6 file (everything after its three header lines).
pixels() { tail -c +$(($(head -n 3 "$1" | wc -c) + 1)) "$1"; }
# rgb FILE WIDTH X Y: the red, green and blue values of a pixel of a P6 file.
rgb() { od -An -tu1 -j $(($(head -n 3 "$1" | wc -c) + 3 * ($4 * $2 + $3))) -N3 "$1" | xargs; }
# expect_pixel FILE WIDTH X Y "R G B"
expect_pixel() {
    local got
    got=$(rgb "$1" "$2" "$3" "$4")
    [ "$got" = "$5" ] || fail "$1 at ($3, $4): $got, not $5"
}
# expect_status STATUS COMMAND...: the exit status, and one line on stderr.
expect_status() {
    local want=$1 status=0
    shift
    "$@" >/dev/null 2>"$work/err" || status=$?
    [ "$status" -eq "$want" ] || fail "$* exited $status, not $want"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$*: not one line on stderr: $(cat "$work/err")"
}

check_build() {
    local bin=$1 out=$work/out-$2
    mkdir "$out"
    local picture=$bin/picture sound=$bin/sound

    # Pictures: read and written back unchanged (P6, plain P3, grey P5), then
    # doubled and halved, then turned.
    [ "$("$picture" "$in/check.ppm" "$out/same.ppm")" = "$out/same.ppm: 97 x 61" ] ||
        fail "$2 picture: wrong line on stdout"
    [ "$(head -n 3 "$out/same.ppm" | xargs)" = "P6 97 61 255" ] || fail "$2: PPM header"
    [ "$(wc -c <"$out/same.ppm")" -eq $((13 + 97 * 61 * 3)) ] || fail "$2: PPM size"
    cmp -s <(pixels "$out/same.ppm") <(pixels "$in/check.ppm") || fail "$2: P6 pixels changed"
    "$picture" "$in/check_plain.ppm" "$out/plain.ppm" >/dev/null
    cmp -s "$out/plain.ppm" "$out/same.ppm" || fail "$2: P3 pixels differ from P6"
    "$picture" "$in/ramp.pgm" "$out/ramp.ppm" >/dev/null
    cmp -s <(pixels "$out/ramp.ppm") <(pixels "$in/ramp_rgb.ppm") || fail "$2: P5 pixels"
    "$picture" "$in/check.ppm" "$out/double.ppm" 200 >/dev/null
    cmp -s <(pixels "$out/double.ppm") <(pixels "$in/check2.ppm") || fail "$2: 200% scale"
    "$picture" "$in/check2.ppm" "$out/half.ppm" 50 >/dev/null
    cmp -s "$out/half.ppm" "$out/same.ppm" || fail "$2: 50% of 200% is not the picture"

    # Turned: the 40 x 80 flag is centred on an 80 x 80 square, and the canvas
    # is (92667 * 80) >> 16 = 113 pixels each way, centre (56, 56).
    "$picture" "$in/flag.ppm" "$out/up.ppm" 100 0 >/dev/null
    "$picture" "$in/flag.ppm" "$out/left.ppm" 100 90 >/dev/null
    "$picture" "$in/flag.ppm" "$out/half-turn.ppm" 100 -180 >/dev/null
    for f in up left half-turn; do
        [ "$(head -n 3 "$out/$f.ppm" | xargs)" = "P6 113 113 255" ] || fail "$2: $f.ppm header"
        [ "$(wc -c <"$out/$f.ppm")" -eq $((15 + 113 * 113 * 3)) ] || fail "$2: $f.ppm size"
        expect_pixel "$out/$f.ppm" 113 2 2 "0 0 0"
    done
    expect_pixel "$out/up.ppm" 113 56 20 "255 0 0"
    expect_pixel "$out/up.ppm" 113 56 92 "0 0 255"
    expect_pixel "$out/up.ppm" 113 26 56 "0 0 0"
    # A quarter turn counterclockwise: the top goes left, and the long side is whole.
    expect_pixel "$out/left.ppm" 113 20 56 "255 0 0"
    expect_pixel "$out/left.ppm" 113 46 56 "255 0 0"
    expect_pixel "$out/left.ppm" 113 66 56 "0 0 255"
    expect_pixel "$out/left.ppm" 113 92 56 "0 0 255"
    expect_pixel "$out/left.ppm" 113 56 26 "0 0 0"
    expect_pixel "$out/left.ppm" 113 56 86 "0 0 0"
    expect_pixel "$out/half-turn.ppm" 113 56 20 "0 0 255"
    expect_pixel "$out/half-turn.ppm" 113 56 92 "255 0 0"

    # Sounds: WAVE to SAM holds the same values, and back gives the same file.
    [ "$("$sound" "$in/tone.wav" "$out/tone.sam")" = \
        "$in/tone.wav -> $out/tone.sam: 11025 values at 22050 Hz" ] ||
        fail "$2 sound: wrong line on stdout"
    [ "$(head -n 7 "$out/tone.sam" | xargs)" = "SAM binary signed bits 16 little endian chanels 1 11025" ] ||
        fail "$2: SAM header"
    cmp -s <(tail -c 22050 "$out/tone.sam") <(sox "$in/tone.wav" -t raw -) ||
        fail "$2: SAM values differ from the WAVE file's"
    [ "$(wc -c <"$out/tone.sam")" -eq $((56 + 22050)) ] || fail "$2: SAM size"
    "$sound" "$out/tone.sam" "$out/back.wav" 22050 >/dev/null
    cmp -s <(sox "$out/back.wav" -t raw -) <(sox "$in/tone.wav" -t raw -) ||
        fail "$2: WAVE -> SAM -> WAVE changed the values"
    cmp -s "$out/back.wav" "$in/tone.wav" || fail "$2: WAVE -> SAM -> WAVE changed the file"
    "$sound" "$out/tone.sam" "$out/default.wav" >/dev/null
    [ "$(soxi -r "$out/default.wav")" = 44100 ] || fail "$2: default rate"
    # 8-bit values are unsigned in WAVE: they come back as sox widens them.
    "$sound" "$in/tone8.wav" "$out/tone8.sam" >/dev/null
    "$sound" "$out/tone8.sam" "$out/tone8.wav" 8000 >/dev/null
    cmp -s <(sox "$out/tone8.wav" -t raw -) <(sox "$in/tone8.wav" -b 16 -e signed -t raw -) ||
        fail "$2: 8-bit WAVE -> SAM -> WAVE"

    # Errors: one line on stderr and status 1; a wrong command line, status 2.
    expect_status 1 "$picture" "$in/missing.pnm" "$out/x.ppm"
    grep -q missing.pnm "$work/err" || fail "$2: the error does not name the file"
    expect_status 1 "$picture" "$in/tone.wav" "$out/x.ppm"
    expect_status 1 "$picture" "$in/check.ppm" "$out/x.ppm" ten
    grep -q ten "$work/err" || fail "$2: the error does not name the number"
    expect_status 1 "$picture" "$in/check.ppm" "$out/x.ppm" 100 9.5
    expect_status 1 "$picture" "$in/check.ppm" "$work/no/such/folder.ppm"
    expect_status 2 "$picture" "$in/check.ppm"
    expect_status 1 "$sound" "$in/missing.wav" "$out/x.sam"
    grep -q missing.wav "$work/err" || fail "$2: the error does not name the file"
    cp "$in/check.ppm" "$out/picture.wav"
    expect_status 1 "$sound" "$out/picture.wav" "$out/x.sam"
    expect_status 1 "$sound" "$in/stereo.wav" "$out/x.sam"
    expect_status 1 "$sound" "$in/missing.sam" "$out/x.wav"
    expect_status 1 "$sound" "$out/tone.sam" "$out/x.wav" fast
    expect_status 2 "$sound" "$in/tone.wav" "$out/x.txt"
    expect_status 2 "$sound" "$in/tone.wav" "$out/x.sam" 22050
}

check_build "$work/cmake-build" cmake
check_build "$work/examples" make
echo "examples_test: installed library, headers, and both builds of both examples: passed"
