#!/usr/bin/env bash
# qmptool on an archive of generated charts (2000 by default, a few dozen elements
# each, Chinese texts, in year and team folders): wall-clock time of one chart
# printed alone, the whole archive printed to PDF in one process with -j 2 and
# -j 1, the same with a process per chart, two at a time (xargs -P 2), and find
# and check over the archive; charts a second, and the limit the cores set (one
# chart's work in a batch of one worker, times the charts, over the cores). It
# measures; it does not judge.
# Usage: archive_bench.sh QMPTOOL ARCHIVE_CHARTS_PROGRAM [COUNT]
set -euo pipefail
tool=$(realpath "$1")
writer=$(realpath "$2")
count=${3:-2000}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$writer" "$dir/archive" "$count"
one=$(find "$dir/archive" -name '*.QMP' -print -quit)
cores=$(nproc)

now() { date +%s%N; }
# Seconds of a command, to the millisecond.
timed() {
    local start status=0
    start=$(now)
    "$@" >/dev/null 2>&1 || status=$?
    [ "$status" -le 1 ] || { echo "archive_bench: $* failed ($status)" >&2; exit 1; }
    awk -v ns=$(($(now) - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}
rate() { awk -v n="$count" -v s="$1" 'BEGIN { printf "%.1f", n / s }'; }

"$tool" print "$one" "$dir/warm.pdf"
alone=()
for _ in 1 2 3 4 5; do alone+=("$(timed "$tool" print "$one" "$dir/one.pdf")"); done
echo "one chart printed alone (whole process): ${alone[*]} s"

j2=$(timed "$tool" print --quiet "$dir/archive" -o "$dir/j2" -j 2)
j1=$(timed "$tool" print --quiet "$dir/archive" -o "$dir/j1" -j 1)
mkdir -p "$dir/xargs"
xargs_s=$(timed bash -c 'cd "$1/archive" && find . -name "*.QMP" -printf "%P\0" |
    xargs -0 -P 2 -I{} sh -c "mkdir -p \"\$2/\$(dirname \"\$1\")\" && \"\$0\" print \"\$1\" \"\$2/\${1%.QMP}.pdf\"" "$2" {} "$1/xargs"' \
    _ "$dir" "$tool")
[ "$(find "$dir/xargs" -name '*.pdf' | wc -l)" -eq "$count" ] || { echo "archive_bench: xargs wrote too few" >&2; exit 1; }
echo "print $count charts, -j 2: $j2 s ($(rate "$j2") charts/s)"
echo "print $count charts, -j 1: $j1 s ($(rate "$j1") charts/s)"
echo "print $count charts, a process each, xargs -P 2: $xargs_s s ($(rate "$xargs_s") charts/s)"
awk -v a="$j2" -v b="$j1" -v x="$xargs_s" 'BEGIN { printf "-j 2 is %.1f times as fast as xargs -P 2 and %.2f times as fast as -j 1\n", x / a, b / a }'
awk -v b="$j1" -v n="$count" -v c="$cores" \
    'BEGIN { printf "one chart'"'"'s work in a batch: %.1f ms; the limit on %d cores: %.2f s for %d charts\n", 1000 * b / n, c, b / c, n }'
echo "find over $count charts: $(timed "$tool" find 表1234 "$dir/archive") s"
echo "check over $count charts: $(timed "$tool" check --quiet "$dir/archive") s"
echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
