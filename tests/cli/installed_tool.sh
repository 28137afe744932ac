# Sourced by the tests that run the README's recipes as a user would: qmptool on
# the PATH as the package puts it, in a folder of the test's own ($dir, gone at
# exit) that is also HOME, so that no setting of the machine's user takes part.
# Usage: source installed_tool.sh QMPTOOL
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/bin" "$dir/home" && ln -s "$(realpath "$1")" "$dir/bin/qmptool"
export PATH="$dir/bin:$PATH" HOME="$dir/home" LC_ALL=C.UTF-8

fail() { echo "FAIL: $*" >&2; exit 1; }
