#!/usr/bin/env bash
# Installs what is missing and makes the Debian package from debian/: the source
# package, and quillmap_VERSION_ARCH.deb with its -dbgsym package beside it, in
# build-package/ (QM_BUILD_DIR); the .deb's path is the last line printed. Works
# as root or as a user with sudo. Arguments go to dpkg-buildpackage after -us -uc
# (-b: the binary packages only); DEB_BUILD_OPTIONS=nocheck leaves out the tests.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"

qm_install dpkg-dev
cd "$qm_root"
profiles=()
case " ${DEB_BUILD_OPTIONS:-} " in *" nocheck "*) profiles=(-Pnocheck) ;; esac
if ! dpkg-checkbuilddeps "${profiles[@]}" >/dev/null 2>&1; then
    echo "Installing the Build-Depends of debian/control"
    qm_apt_get "the Build-Depends" build-dep -y -q --no-install-recommends "${profiles[@]}" "$qm_root"
fi

build=${QM_BUILD_DIR:-$qm_root/build-package}
version=$(dpkg-parsechangelog -SVersion)
deb=$build/quillmap_${version}_$(dpkg-architecture -qDEB_HOST_ARCH).deb
src=$build/quillmap-$version
mkdir -p "$build"
rm -rf "$src" "$build"/quillmap_* "$build"/quillmap-dbgsym_*

# dpkg-buildpackage writes beside the source folder and cleans inside it, so it
# works on a copy of the checkout: what git tracks (as edited) and what it does
# not ignore; without git, everything but the build folders.
mkdir "$src"
if command -v git >/dev/null && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
        tar --null -T - -cf - | tar -xf - -C "$src"
else
    tar --exclude=./.git --exclude='./build*' -cf - . | tar -xf - -C "$src"
fi

log=$build/dpkg-buildpackage.log
echo "Building the package in $src (log: $log)"
if ! (cd "$src" && dpkg-buildpackage -us -uc "$@") >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "package.sh: dpkg-buildpackage failed; its log is $log" >&2
    exit 1
fi
rm -rf "$src"
[ -f "$deb" ] || { echo "package.sh: no $deb was made" >&2; exit 1; }
echo "$deb"
