#!/usr/bin/env bash
# qmptool on the largest drawing the limits allow: wall-clock time of whole runs
# (start-up included) of `print` to an A4 PDF and `render` to SVG and PDF, over a
# number of runs (5 by default), with the medians. It measures; it does not judge.
# Usage: qmptool_bench.sh QMPTOOL LARGEST_FILE_PROGRAM [RUNS]
set -euo pipefail
tool=$(realpath "$1")
writer=$(realpath "$2")
runs=${3:-5}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$writer" "$dir/largest.QMP"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Milliseconds of one run of qmptool with the arguments; a failed run ends the bench.
timed() {
    local start end
    start=$(date +%s%N)
    "$tool" "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

bench() {
    local name=$1
    shift
    "$tool" "$@" >/dev/null || { echo "qmptool_bench: qmptool $* failed" >&2; exit 1; }  # warm the caches
    local times=()
    for _ in $(seq "$runs"); do times+=("$(timed "$@")"); done
    echo "$name: median $(printf '%s\n' "${times[@]}" | median) ms of $runs (${times[*]})"
}

"$tool" --help | grep -q '^  print ' && bench "print A4 PDF" print "$dir/largest.QMP" "$dir/a4.pdf"
bench "render SVG" render "$dir/largest.QMP" "$dir/out.svg"
bench "render PDF" render "$dir/largest.QMP" "$dir/out.pdf"
echo "$(stat -c %s "$dir/largest.QMP") bytes of document; load $(cut -d' ' -f1-3 /proc/loadavg)"
