#!/usr/bin/env bash
# quillmap's start-up under Xvfb beside that of an empty Qt main window with a menu
# bar built from the same Qt (bare_window.cpp): from exec to the window being
# mapped and to the first moment it shows painted (quillmap: its canvas white, the
# title block frame drawn), and the peak resident memory by then. Over a number of
# starts of each (10 by default), taken in turn so that both see the same load,
# with the medians and quillmap's figures over the bare window's. It measures; it
# does not judge. Starts an Xvfb server of its own when DISPLAY is not set. Both
# start as a new user would, with settings and recovery folders of the bench's
# own: another program's crash copies, offered at start-up, are no part of it.
# Usage: startup_bench.sh QUILLMAP BARE_WINDOW [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
bare=$(realpath "$2")
runs=${3:-10}
for tool in xdotool python3; do
    command -v "$tool" >/dev/null || { echo "startup_bench: $tool is not installed" >&2; exit 1; }
done

xvfb_pid=
home=$(mktemp -d)
cleanup() {
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$home/config XDG_STATE_HOME=$home/state
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

# The first start of each finds the window's place (and pays for cold caches); the
# others watch the window from the moment of exec.
read -r m p r qx qy qh < <(python3 "$here/startup_probe.py" "$program")
echo "quillmap first start: mapped $m ms, painted $p ms, peak RSS $r KiB"
read -r m p r bx by bh < <(python3 "$here/startup_probe.py" --bare "$bare")
echo "bare window first start: mapped $m ms, painted $p ms, peak RSS $r KiB"
q_mapped=() q_painted=() q_rss=() b_mapped=() b_painted=() b_rss=()
for i in $(seq "$runs"); do
    read -r m p r _ < <(python3 "$here/startup_probe.py" "$program" "$qx" "$qy" "$qh")
    echo "run $i: quillmap mapped $m ms, painted $p ms, peak RSS $r KiB"
    q_mapped+=("$m") q_painted+=("$p") q_rss+=("$r")
    read -r m p r _ < <(python3 "$here/startup_probe.py" --bare "$bare" "$bx" "$by" "$bh")
    echo "run $i: bare window mapped $m ms, painted $p ms, peak RSS $r KiB"
    b_mapped+=("$m") b_painted+=("$p") b_rss+=("$r")
done
qm=$(printf '%s\n' "${q_mapped[@]}" | median) qp=$(printf '%s\n' "${q_painted[@]}" | median)
qr=$(printf '%s\n' "${q_rss[@]}" | median)
bm=$(printf '%s\n' "${b_mapped[@]}" | median) bp=$(printf '%s\n' "${b_painted[@]}" | median)
br=$(printf '%s\n' "${b_rss[@]}" | median)
echo "median of $runs, quillmap:    mapped $qm ms, painted $qp ms, peak RSS $qr KiB"
echo "median of $runs, bare window: mapped $bm ms, painted $bp ms, peak RSS $br KiB"
awk -v qp="$qp" -v bp="$bp" -v qr="$qr" -v br="$br" \
    'BEGIN { printf "quillmap / bare window: painted %.2f times, peak RSS %.2f times\n", qp / bp, qr / br }'
echo "(load: $(cut -d' ' -f1-3 /proc/loadavg))"
