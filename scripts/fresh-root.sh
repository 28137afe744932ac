#!/usr/bin/env bash
# Runs a command as root in a fresh Debian 12 (bookworm) root holding nothing but
# the base system and a clean clone of this checkout: proof that a command works
# on a new machine, not only on one where earlier work left packages behind.
#
# Usage: scripts/fresh-root.sh [COMMAND [ARGS...]]   (default: scripts/test.sh)
# The command runs in the clone's top folder, /src/quillmap inside the root. Only
# committed work is cloned. The exit status is the command's.
#
# The root is made once with debootstrap and kept as a tarball; every run unpacks
# it afresh into a folder of its own, which is removed afterwards (kept when the
# command failed, so that its logs and screenshots can be read).
#   QM_ROOT_CACHE     folder of the tarball (default /var/cache/quillmap)
#   QM_ROOT_WORK      folder the root is unpacked in (default /var/tmp)
#   QM_DEBIAN_MIRROR  archive to make the root from (default http://deb.debian.org/debian)
#   QM_ROOT_KEEP=1    keep the unpacked root even when the command succeeded
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"

if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "fresh-root.sh: needs root (or sudo)" >&2; exit 1; }
    exec sudo --preserve-env=QM_ROOT_CACHE,QM_ROOT_WORK,QM_DEBIAN_MIRROR,QM_ROOT_KEEP "$0" "$@"
fi
[ $# -gt 0 ] || set -- scripts/test.sh

cache=${QM_ROOT_CACHE:-/var/cache/quillmap}
mirror=${QM_DEBIAN_MIRROR:-http://deb.debian.org/debian}
tarball="$cache/debian-12-minbase.tar.gz"

say() { echo "fresh-root.sh: $*" >&2; }

# The mount points at or below a folder, deepest first.
mounts_below() {
    awk -v dir="$1" '$2 == dir || index($2, dir "/") == 1 { print $2 }' /proc/self/mounts | sort -r
}

# Removes a root folder, but never while anything is still mounted inside it:
# a bind mount of /dev left there would make rm delete the machine's devices.
remove_root() {
    local dir=$1 m
    for m in $(mounts_below "$dir"); do umount "$m" 2>/dev/null || umount -l "$m" || true; done
    if [ -n "$(mounts_below "$dir")" ]; then
        say "still mounted below $dir, left in place: $(mounts_below "$dir" | tr '\n' ' ')"
        return 1
    fi
    rm -rf --one-file-system "$dir"
}

make_tarball() {
    qm_install debootstrap
    mkdir -p "$cache"
    local staging
    staging=$(mktemp -d "$cache/bookworm.XXXXXX")
    say "making a Debian 12 root from $mirror (once; kept as $tarball)"
    if ! debootstrap --variant=minbase bookworm "$staging" "$mirror" >"$staging.log" 2>&1; then
        tail -n 30 "$staging.log" >&2
        say "debootstrap failed; its log is $staging.log"
        remove_root "$staging" || true
        return 1
    fi
    # debootstrap copies the machine's name and resolver in; a fresh root gets them per run.
    rm -f "$staging/etc/hostname" "$staging/etc/resolv.conf"
    # mktemp made the folder private; as the root's / it must be open to all, or
    # apt's sandbox user and man-db's trigger cannot reach anything.
    chmod 755 "$staging"
    tar --numeric-owner -C "$staging" -czf "$tarball.part" .
    mv "$tarball.part" "$tarball"
    rm -f "$staging.log"
    remove_root "$staging"
}

mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9  # one maker of the tarball at a time
[ -s "$tarball" ] || make_tarball
flock -u 9

qm_install git
work_parent=${QM_ROOT_WORK:-/var/tmp}
mkdir -p "$work_parent"
root=$(mktemp -d "$work_parent/fresh-root.XXXXXX")
status=1

# Processes the command left behind inside the root (a server it started), so
# that nothing holds the mounts.
# shellcheck disable=SC2317  # run by the exit trap
stop_leftovers() {
    local proc pids=()
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && pids+=("${proc#/proc/}")
    done
    [ ${#pids[@]} -gt 0 ] || return 0
    say "stopping what was left running in the root: ${pids[*]}"
    kill "${pids[@]}" 2>/dev/null || true
    sleep 2
    kill -9 "${pids[@]}" 2>/dev/null || true
}

# shellcheck disable=SC2317  # run by the exit trap
finish() {
    stop_leftovers
    if [ "$status" -eq 0 ] && [ "${QM_ROOT_KEEP:-0}" != 1 ]; then
        remove_root "$root" || true
    else
        local m
        for m in $(mounts_below "$root"); do umount "$m" 2>/dev/null || umount -l "$m" || true; done
        say "the root stays in $root (remove it with: rm -rf --one-file-system $root)"
    fi
}
trap finish EXIT
trap 'exit 130' INT TERM

tar --numeric-owner -C "$root" -xpzf "$tarball"
chmod 755 "$root"  # a tarball made before its / was opened up
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
echo fresh-root >"$root/etc/hostname"

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777 shm "$root/dev/shm"

# A clean clone of what is committed here, on the same commit and branch name.
commit=$(git -C "$qm_root" rev-parse HEAD)
branch=$(git -C "$qm_root" symbolic-ref --quiet --short HEAD || echo fresh-root)
[ -z "$(git -C "$qm_root" status --porcelain)" ] || say "uncommitted changes are not in the root"
mkdir -p "$root/src"
git clone --quiet --no-hardlinks --no-checkout "$qm_root" "$root/src/quillmap"
git -C "$root/src/quillmap" checkout --quiet -B "$branch" "$commit"
say "running in a fresh Debian 12 root ($root) on $branch at ${commit:0:12}: $*"

set +e
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c 'cd /src/quillmap && exec "$@"' fresh-root "$@"
status=$?
set -e
say "the command ended with status $status"
exit "$status"
