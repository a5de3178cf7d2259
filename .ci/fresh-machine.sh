#!/usr/bin/env bash
# Runs COMMAND in a clean clone of this project inside a minimal Debian 12 root,
# as a newcomer would on a freshly installed machine: only what debootstrap
# installs is there, so every package the project needs must be installed by
# the project's own commands. Needs root (debootstrap, mount, chroot).
#
#   .ci/fresh-machine.sh 'COMMAND'
#
# The clone is of the checkout's committed HEAD, in /home/newcomer/project; the
# command runs there as root with a clean login environment and no input.
#   QUOR_FRESH_CACHE  folder that keeps the pristine root and the downloaded
#                     packages between runs (default /var/cache/quor7706-fresh;
#                     set it empty to keep nothing)
#   QUOR_FRESH_LIMIT  seconds the whole run may take, root and clone included
#                     (default 600); COMMAND is stopped when they are up
#   QUOR_FRESH_ARCH   the root's Debian architecture (default: this machine's);
#                     i386 makes a 32-bit x86 machine, whose programs this
#                     kernel runs (its pristine root is cached beside the other)
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
command=${1:?usage: .ci/fresh-machine.sh COMMAND}
cache=${QUOR_FRESH_CACHE-/var/cache/quor7706-fresh}
limit=${QUOR_FRESH_LIMIT:-600}
arch=${QUOR_FRESH_ARCH:-}
# A 32-bit root's programs see a 32-bit machine (uname -m says i686).
personality=()
[ "$arch" = i386 ] && personality=(setarch i686)
deadline=$((SECONDS + limit))
[ "$(id -u)" -eq 0 ] || { echo "fresh-machine: needs root" >&2; exit 1; }

say() { echo "fresh-machine: $*"; }

# The Debian mirror this machine is configured with.
mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -n 's|^URIs:[[:space:]]*\(http[^ ]*/debian\)/\{0,1\}$|\1|p' | head -n 1)
[ -n "$mirror" ] || mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    sed -n 's|^deb[[:space:]]\{1,\}\(\[[^]]*\][[:space:]]\{1,\}\)\{0,1\}\(http[^ ]*/debian\)/\{0,1\}[[:space:]].*|\2|p' | head -n 1)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian

if ! command -v debootstrap >/dev/null 2>&1; then
    say "installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
fi

# Everything of one run lives in a tmpfs of its own, bind mounts included, so
# that cleaning up is unmounting: nothing is ever deleted through a mount.
work=$(mktemp -d /var/tmp/quor7706-fresh.XXXXXX)
root=$work/root
cleanup() {
    set +e
    local pid
    # Whatever the command left running inside the root (an X server, say) is ours.
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -KILL "$pid" 2>/dev/null
    done
    sleep 0.2
    if mountpoint -q "$root"; then
        umount -R "$root" 2>/dev/null || { sleep 1; umount -R -l "$root"; }
    fi
    rmdir "$root" 2>/dev/null
    rm -f "$work/debootstrap.log"
    rmdir "$work" 2>/dev/null
    return 0
}
# Unmounts what an interrupted debootstrap may have left mounted in folder $1.
unmount_inside() {
    local m
    for m in proc sys dev/pts dev; do
        mountpoint -q "$1/$m" 2>/dev/null && umount -l "$1/$m"
    done
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The pristine root: made once per cache folder (and every time without one).
debootstrap_into() {
    say "debootstrap bookworm (minbase${arch:+, $arch}) from $mirror"
    if ! debootstrap ${arch:+--arch="$arch"} --variant=minbase bookworm "$1" "$mirror" \
        >"$work/debootstrap.log" 2>&1; then
        tail -n 20 "$work/debootstrap.log" >&2
        say "debootstrap failed" >&2
        return 1
    fi
    # The same suites as this machine (updates, security) when it lists them in one file.
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        cp /etc/apt/sources.list.d/debian.sources "$1/etc/apt/sources.list.d/"
        rm -f "$1/etc/apt/sources.list"
    fi
    rm -rf "$1/var/cache/apt/archives/"*.deb
}

mkdir "$root"
mount -t tmpfs -o size=8g,mode=0755 quor7706-fresh "$root"
if [ -n "$cache" ]; then
    pristine=$cache/bookworm-minbase${arch:+-$arch}
    archives=$cache/apt-archives${arch:+-$arch}
    mkdir -p "$archives"
    # Runs at the same time take turns at the cache.
    exec 9>"$cache/lock"
    flock 9
    # A month-old root is made again; so is one whose making did not finish.
    if [ ! -f "$pristine.done" ] || [ -n "$(find "$pristine.done" -mtime +30)" ]; then
        rm -f "$pristine.done"
        unmount_inside "$pristine"
        rm -rf --one-file-system "$pristine"
        debootstrap_into "$pristine"
        touch "$pristine.done"
    fi
    cp -a "$pristine/." "$root/"
    # Packages downloaded by earlier runs (a month at most): apt still installs
    # each one, it only need not fetch it again. Each run has its own copy, as
    # apt locks the folder it downloads into.
    find "$archives" -maxdepth 1 -name '*.deb' -mtime +30 -delete
    cp "$archives/"*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true
    flock -u 9
else
    debootstrap_into "$root"
fi

mkdir -p "$root/home/newcomer"
git clone -q "$project" "$root/home/newcomer/project"
say "clean clone of $(git -C "$root/home/newcomer/project" log -1 --format='%h %s')"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# /proc and /dev as a real machine has them. /tmp is this machine's: X servers
# are found through sockets the kernel shares with it anyway, so the X display
# numbers (lock files in /tmp) must be shared too, or an X server started in
# here could take a number one outside is using.
for m in proc dev dev/pts dev/shm tmp; do
    mount --bind "/$m" "$root/$m"
done

status=0
left=$((deadline - SECONDS))
[ "$left" -gt 0 ] || left=1
# In the background, so that an interrupt ends the wait and the clean-up stops it.
env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    timeout -k 10 "$left" "${personality[@]}" chroot "$root" /bin/bash -lc "cd /home/newcomer/project && $command" \
    </dev/null 9>&- &
wait $! || status=$?
if [ -n "$cache" ]; then
    flock 9
    cp -n "$root/var/cache/apt/archives/"*.deb "$archives/" 2>/dev/null || true
    flock -u 9
fi
[ "$status" -ne 124 ] || say "stopped: the run took longer than ${limit}s" >&2
say "exit $status"
exit "$status"
