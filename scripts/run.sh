#!/usr/bin/env bash
# Installs the Debian packages quillmap needs, builds it and starts it.
# Works as root or as a user with sudo; when everything is in place it only
# checks the packages, lets the build confirm it is up to date, and starts.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"

qm_install cmake ninja-build g++ qt6-base-dev qt6-base-private-dev qt6-svg-dev libfontconfig-dev qt6-qpa-plugins fonts-wqy-microhei qt6-translations-l10n

build=${QM_BUILD_DIR:-$qm_root/build-release}
qm_configure "$build" Release -DQM_BUILD_TESTS=OFF
cmake --build "$build" --target quillmap

# The help command opens ReadMe.txt from the current folder.
cd "$qm_root"
exec "$build/app/quillmap"
