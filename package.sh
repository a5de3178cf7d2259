#!/usr/bin/env bash
# Builds the Debian packages, as Debian splits them:
#   quor7706          the demo and the recorder, their man pages, the menu entry and icon
#   libquor7706-dev   the module library: headers, static libraries, CMake package, .pc
# into build-deb/ (quor7706_VERSION_ARCH.deb, libquor7706-dev_VERSION_ARCH.deb),
# from a build of their own (build-deb/build) with Debian's hardening flags.
# The packages' control data comes from packaging/ (control, changelog,
# copyright); dpkg-shlibdeps works out what the programs depend on. When
# lintian is installed it checks both packages and prints what it finds.
#   ./package.sh
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
quor_need_packages "${QUOR_BUILD_PACKAGES[@]}" "${QUOR_PACKAGE_PACKAGES[@]}"

out=build-deb
build=$out/build
# Debian's build flags with every hardening feature. Release's -O3 follows
# them; no -g, as the installed programs and libraries are stripped.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1" | sed 's/\(^\| \)-g\( \|$\)/\1/'; }
quor_build "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
    -DQUOR_BENCH=OFF -DQUOR_FUZZ=OFF -DQUOR_SANITIZE=OFF \
    "-DCMAKE_C_FLAGS=$(flags CPPFLAGS) $(flags CFLAGS)" "-DCMAKE_CXX_FLAGS=$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)"

# The changelog's version is the release's; it must be the one the build carries.
version=$(quor_cached "$build" CMAKE_PROJECT_VERSION)
logged=$(dpkg-parsechangelog -l packaging/changelog -S Version)
if [ "$version" != "$logged" ]; then
    echo "package.sh: packaging/changelog is at $logged, CMakeLists.txt's project() at $version" >&2
    exit 1
fi

# dpkg-shlibdeps and dpkg-gencontrol work in a folder with debian/control.
work=$out/work
rm -rf "$work"
mkdir -p "$work/debian"
cp packaging/control packaging/changelog packaging/shlibs.local "$work/debian/"

# stage PACKAGE COMPONENT: installs the component into $work/debian/PACKAGE and adds
# the package's documentation.
stage() {
    local package=$1 component=$2 root=$work/debian/$1
    DESTDIR="$PWD/$root" cmake --install "$build" --component "$component" --strip >/dev/null
    local doc=$root/usr/share/doc/$package
    install -d -m 755 "$doc"
    install -m 644 packaging/copyright "$doc/copyright"
    gzip -9n <packaging/changelog >"$doc/changelog.gz"
    chmod 644 "$doc/changelog.gz"
}
stage quor7706 program
stage libquor7706-dev dev
# Programs and static libraries keep no compiler notes, the libraries no
# debug sections either (what dh_strip does).
strip --remove-section=.comment --remove-section=.note "$work"/debian/quor7706/usr/bin/*
find "$work/debian/libquor7706-dev" -name '*.a' -exec strip --strip-debug --remove-section=.comment \
    --remove-section=.note --enable-deterministic-archives {} +
# Man pages are kept compressed, as Debian does.
find "$work/debian/quor7706/usr/share/man" -type f -name '*.[0-9]' -exec gzip -9n {} +

(
    cd "$work"
    mkdir -p debian/quor7706/DEBIAN debian/libquor7706-dev/DEBIAN
    dpkg-shlibdeps -Tdebian/quor7706.substvars debian/quor7706/usr/bin/quor7706 \
        debian/quor7706/usr/bin/quor7706-record
    for package in quor7706 libquor7706-dev; do
        root=debian/$package
        # No maintainer scripts, so nothing for ${misc:Depends}.
        echo "misc:Depends=" >>"debian/$package.substvars"
        mkdir -p "$root/DEBIAN"
        dpkg-gencontrol -p"$package" -P"$root" -T"debian/$package.substvars"
        # Folders 755, files 644, programs 755, whatever the umask was.
        find "$root" -type d -exec chmod 755 {} +
        find "$root" -type f ! -path '*/usr/bin/*' -exec chmod 644 {} +
        # The md5sums dpkg keeps for every file it installs.
        (cd "$root" && find . -type f ! -path './DEBIAN/*' -printf '%P\0' | sort -z |
            xargs -0 md5sum >DEBIAN/md5sums)
        dpkg-deb --root-owner-group -Zxz --build "$root" .. >/dev/null
    done
)

arch=$(dpkg-architecture -qDEB_HOST_ARCH)
debs=("$out/quor7706_${version}_$arch.deb" "$out/libquor7706-dev_${version}_$arch.deb")
for deb in "${debs[@]}"; do
    echo "$deb: $(du -k "$deb" | cut -f1) kB, installs $(dpkg-deb -f "$deb" Installed-Size) kB"
    dpkg-deb -f "$deb" Depends Recommends | sed 's/^/  /'
done
if command -v lintian >/dev/null 2>&1; then
    echo "lintian:"
    # Errors fail the build; warnings and notes are printed for the reader.
    lintian --display-info --fail-on error "${debs[@]}" 2>&1 | sed 's/^/  /'
fi
