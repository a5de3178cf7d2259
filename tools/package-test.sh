#!/usr/bin/env bash
# The Debian packages as a user gets them. Builds them with ./package.sh
# (lintian must find no error), then, as root on a machine that can be thrown
# away (CI runs it in a fresh Debian 12 root):
#   - takes classic SDL 1.2 away again, so that installing the two .deb files
#     with apt-get must pull in what they depend on;
#   - quor7706 without a display exits 2 with its one line; the recorder
#     writes 50 frames of music as a WAVE file; man finds both pages;
#   - the examples build against the installed library with CMake and with
#     pkg-config and run on a picture made by netpbm and a sound made by sox;
#   - apt-get remove of both packages leaves none of their files behind;
#   - with sdl12-compat in place of classic SDL 1.2, both packages install
#     again without bringing classic SDL back, and the recorder still works.
#   tools/package-test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "package-test: needs root (it installs packages)" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive
apt_install() { apt-get install -y -qq "$@" >/dev/null; }

fail() {
    echo "package-test: FAIL: $*" >&2
    exit 1
}
step() { echo "== $*"; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

step "tools the checks use: lintian, man-db, netpbm, sox, pkg-config, make"
apt-get update -qq
apt_install lintian man-db netpbm sox pkg-config make

step "./package.sh"
./package.sh | grep -v '^\[' || fail "./package.sh failed"
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
version=$(dpkg-parsechangelog -l packaging/changelog -S Version)
debs=("$PWD/build-deb/quor7706_${version}_$arch.deb" "$PWD/build-deb/libquor7706-dev_${version}_$arch.deb")

step "installing both packages pulls in SDL 1.2 again"
apt-get purge -y -qq libsdl1.2-dev libsdl1.2debian >/dev/null
apt-get autoremove -y -qq >/dev/null
installed libsdl1.2debian && fail "libsdl1.2debian is still installed before the packages are"
apt_install "${debs[@]}"
for package in quor7706 libquor7706-dev libsdl1.2debian libsdl1.2-dev; do
    installed "$package" || fail "$package is not installed"
done
echo "installed; Depends: $(dpkg-query -W -f='${Depends}' quor7706)"

step "quor7706 without a display"
status=0
(cd /tmp && env -u DISPLAY -u SDL_VIDEODRIVER quor7706) >/tmp/out.txt 2>/tmp/err.txt || status=$?
cat /tmp/err.txt
[ "$status" -eq 2 ] || fail "quor7706 exited $status, not 2"
[ "$(wc -l </tmp/err.txt)" -eq 1 ] || fail "quor7706 wrote $(wc -l </tmp/err.txt) lines, not one"
[ ! -s /tmp/out.txt ] || fail "quor7706 wrote to standard output"

step "quor7706-record --frames 50 -o x.wav"
record_wav() {
    local dir
    dir=$(mktemp -d)
    (cd "$dir" && quor7706-record --frames 50 --quiet -o x.wav) || fail "quor7706-record failed"
    # A 44-byte header and 50 frames of 882 16-bit values.
    [ "$(head -c 4 "$dir/x.wav")" = RIFF ] || fail "x.wav is not a RIFF file"
    [ "$(stat -c %s "$dir/x.wav")" -eq $((44 + 50 * 882 * 2)) ] || fail "x.wav has $(stat -c %s "$dir/x.wav") bytes"
    echo "x.wav: $(stat -c %s "$dir/x.wav") bytes"
    rm -rf "$dir"
}
record_wav

step "man finds both pages"
for page in quor7706 quor7706-record; do
    where=$(man -w "$page") || fail "man does not find $page"
    echo "$page: $where"
    MANPAGER=cat MANWIDTH=80 man "$page" 2>/dev/null | grep -q "$page" || fail "man $page shows no page"
done

step "the examples against the installed library"
tools/tests/examples_test.sh "$PWD" --installed

step "apt-get remove leaves nothing behind"
files=$(mktemp)
dpkg -L quor7706 libquor7706-dev | sort -u >"$files"
apt-get remove -y -qq quor7706 libquor7706-dev >/dev/null
left=0
while read -r path; do
    # Folders the system shares (/usr/bin, ...) stay; every file and every
    # folder of the packages' own goes.
    if [ -f "$path" ] || [ -L "$path" ]; then
        echo "left behind: $path" >&2
        left=$((left + 1))
    fi
done <"$files"
for own in /usr/include/quor7706 /usr/lib/*/cmake/Quor7706 /usr/share/doc/quor7706 /usr/share/doc/libquor7706-dev; do
    [ -e "$own" ] && { echo "left behind: $own" >&2; left=$((left + 1)); }
done
[ "$left" -eq 0 ] || fail "$left paths left after apt-get remove"
echo "$(grep -c . "$files") paths listed, none left"

step "over sdl12-compat in place of classic SDL 1.2"
apt_install libsdl1.2-compat-dev
installed libsdl1.2debian && fail "classic SDL 1.2 is still installed beside sdl12-compat"
apt_install "${debs[@]}"
installed libsdl1.2debian && fail "installing the packages brought classic SDL 1.2 back"
installed quor7706 && installed libquor7706-dev || fail "the packages did not install over sdl12-compat"
record_wav
echo "package-test: all checks passed"
