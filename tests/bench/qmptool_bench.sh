#!/usr/bin/env bash
# qmptool on the largest drawing the limits allow: wall-clock time of whole runs
# (start-up included) of `print` to an A4 PDF, `render` to SVG and PDF, `dump
# --text`, `diff` against a version of it with every element changed, and
# `convert` to a document and to the drawings for other editors, over a number of
# runs (5 by default), with the medians; then the peak memory of each convert
# beside the document's size. It measures; it does not judge.
# Usage: qmptool_bench.sh QMPTOOL LARGEST_FILE_PROGRAM [RUNS]
set -euo pipefail
tool=$(realpath "$1")
writer=$(realpath "$2")
runs=${3:-5}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$writer" "$dir/largest.QMP" "$dir/changed.QMP"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run of qmptool; a failed one ends the bench. diff answers 1 for drawings
# that differ, which is no failure.
run() {
    local status=0
    "$tool" "$@" >/dev/null || status=$?
    [ "$status" -eq 0 ] || { [ "$1" = diff ] && [ "$status" -eq 1 ]; } ||
        { echo "qmptool_bench: qmptool $* failed ($status)" >&2; exit 1; }
}

# Milliseconds of one run of qmptool with the arguments.
timed() {
    local start end
    start=$(date +%s%N)
    run "$@"
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

bench() {
    local name=$1
    shift
    run "$@"  # warm the caches
    local times=()
    for _ in $(seq "$runs"); do times+=("$(timed "$@")"); done
    echo "$name: median $(printf '%s\n' "${times[@]}" | median) ms of $runs (${times[*]})"
}

"$tool" --help | grep -q '^  print ' && bench "print A4 PDF" print "$dir/largest.QMP" "$dir/a4.pdf"
bench "render SVG" render "$dir/largest.QMP" "$dir/out.svg"
bench "render PDF" render "$dir/largest.QMP" "$dir/out.pdf"
bench "dump --text" dump --text "$dir/largest.QMP"
bench "diff, every element changed" diff "$dir/largest.QMP" "$dir/changed.QMP"
bench "diff --json, every element changed" diff --json "$dir/largest.QMP" "$dir/changed.QMP"
bench "convert to .QMP" convert "$dir/largest.QMP" "$dir/copy.QMP"
for ext in odg fodg drawio; do bench "convert to .$ext" convert "$dir/largest.QMP" "$dir/out.$ext"; done
# What an export holds beyond the opened document: its peak resident set less
# that of writing the document itself, beside the document's size.
if command -v /usr/bin/time >/dev/null; then
    peak_kb() { /usr/bin/time -f %M "$tool" "$@" 2>&1 >/dev/null | tail -n 1; }
    base=$(peak_kb convert "$dir/largest.QMP" "$dir/copy.QMP")
    for ext in odg fodg drawio; do
        peak=$(peak_kb convert "$dir/largest.QMP" "$dir/out.$ext")
        echo "convert to .$ext: peak $peak KB, $((peak - base)) KB above writing a .QMP ($base KB); file $(stat -c %s "$dir/out.$ext") bytes"
    done
fi
echo "$(stat -c %s "$dir/largest.QMP") bytes of document; load $(cut -d' ' -f1-3 /proc/loadavg)"
