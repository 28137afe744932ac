# shellcheck shell=bash
# Shared by run.sh and test.sh (sourced, not run): installing missing Debian
# packages and configuring a build.

qm_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The packages among the arguments that are not installed.
qm_missing_packages() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
    done
}

# qm_apt_get WHAT ARGS...: apt-get ARGS as root directly, otherwise through sudo,
# after refreshing the package lists; WHAT says what is missing when neither is
# possible.
qm_apt_get() {
    local what=$1 as_root=()
    shift
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "Installing $what needs root or sudo" >&2
            return 1
        fi
        as_root=(sudo)
    fi
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q &&
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@"
}

# Installs what is missing. The package lists are refreshed only when something
# has to be installed.
qm_install() {
    local missing
    missing=$(qm_missing_packages "$@" | tr '\n' ' ')
    [ -n "${missing// /}" ] || return 0
    echo "Installing Debian packages: $missing"
    # shellcheck disable=SC2086  # the list is meant to split into words
    qm_apt_get "these packages: $missing" install -y -q --no-install-recommends $missing
}

# qm_configure BUILD_DIR BUILD_TYPE [CMAKE_ARGS...]: a Ninja build of the project.
qm_configure() {
    local dir=$1 type=$2
    shift 2
    cmake -S "$qm_root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >"$dir.configure.log" 2>&1 || {
        cat "$dir.configure.log" >&2
        return 1
    }
}
