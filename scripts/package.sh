#!/usr/bin/env bash
# Installs what is missing, builds quillmap, qmp and qmptool (Release) and makes
# the Debian package of them with CPack: quillmap_VERSION_ARCH.deb in the build
# folder, whose path is the last line printed. Works as root or as a user with sudo.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"

# dpkg-dev and file: CPack finds the package's library dependencies with
# dpkg-shlibdeps, and the programs among the files with file.
qm_install cmake ninja-build g++ qt6-base-dev qt6-base-private-dev qt6-svg-dev dpkg-dev file

build=${QM_BUILD_DIR:-$qm_root/build-release}
qm_configure "$build" Release -DQM_BUILD_TESTS=OFF
cmake --build "$build"

rm -f "$build"/quillmap_*.deb
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || {
    cat "$build/cpack.log" >&2
    exit 1
}
debs=("$build"/quillmap_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "package.sh: expected one quillmap_*.deb in $build" >&2
    exit 1
fi
echo "${debs[0]}"
