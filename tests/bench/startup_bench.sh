#!/usr/bin/env bash
# quillmap's start-up under Xvfb: from exec to its window being mapped and to the
# first moment its canvas shows painted (white, title block frame drawn), over a
# number of starts (10 by default), with the medians. It measures; it does not
# judge. Starts an Xvfb server of its own when DISPLAY is not set.
# Usage: startup_bench.sh QUILLMAP [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
runs=${2:-10}
for tool in xdotool python3; do
    command -v "$tool" >/dev/null || { echo "startup_bench: $tool is not installed" >&2; exit 1; }
done

xvfb_pid=
cleanup() { [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.05; done
    [ -s "$number_file" ] || { echo "startup_bench: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$(head -n 1 "$number_file")
    rm -f "$number_file"
fi

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The first start finds the window's place (and pays for cold caches); the
# others watch the canvas from the moment of exec.
read -r first_mapped first_painted x y height < <(python3 "$here/startup_probe.py" "$program")
echo "first start: mapped ${first_mapped} ms, painted ${first_painted} ms"
mapped=() painted=()
for i in $(seq "$runs"); do
    read -r m p _ < <(python3 "$here/startup_probe.py" "$program" "$x" "$y" "$height")
    echo "run $i: mapped $m ms, painted $p ms"
    mapped+=("$m") painted+=("$p")
done
echo "median of $runs: mapped $(printf '%s\n' "${mapped[@]}" | median) ms," \
    "painted $(printf '%s\n' "${painted[@]}" | median) ms (load: $(cut -d' ' -f1-3 /proc/loadavg))"
