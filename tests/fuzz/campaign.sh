#!/usr/bin/env bash
# A long fuzzing campaign over every target for a small shared machine: one
# fuzzer at a time, at the lowest priority, the targets in turn for a few minutes
# each (QM_FUZZ_RUN_SECONDS, default 600), each run going on from the corpus the
# earlier ones gathered. It stops by itself once it has made 10^8 executions in
# all and no target has found a new edge over its last 10^7, or at 5 * 10^8.
#   tests/fuzz/campaign.sh start      build, put the fuzzers into the campaign
#                                     folder and start in the background (a running
#                                     campaign takes the new fuzzers from its next run)
#   tests/fuzz/campaign.sh status     the figures so far, per target
#   tests/fuzz/campaign.sh minimise   merge the campaign's corpus into the kept one
#                                     (tests/fuzz/corpus/<target>/), to commit
#   tests/fuzz/campaign.sh stop
# The folder, $QM_FUZZ_CAMPAIGN_DIR (default ~/fuzz-campaign), holds campaign.log
# (one line a run: executions, edges at its start and end, findings), pid, the
# fuzzers, the gathered corpus (corpus/<target>/), the last run's output of each
# target (last-<target>.log) and what crashed or hung a reader (findings/<target>/).
set -euo pipefail

dir=${QM_FUZZ_CAMPAIGN_DIR:-$HOME/fuzz-campaign}
total_goal=100000000 quiet_goal=10000000 cap=500000000

# What the log says so far: per target, its executions, the edges of its first
# and of its best run, and how many executions it made since its edges last grew;
# then the total, and "done" when the campaign has reached its end.
figures() {
    [ -f "$dir/campaign.log" ] || return 0
    awk -v goal="$total_goal" -v quiet="$quiet_goal" -v cap="$cap" '
        function val(k,   i) { for (i = 1; i <= NF; ++i) if (index($i, k "=") == 1) return substr($i, length(k) + 2); return "" }
        $3 == "run" {
            t = val("target"); e = val("execs") + 0; c = val("cov_end") + 0
            if (!(t in execs)) { order[++n] = t; first[t] = val("cov_start") }
            execs[t] += e; total += e; runs[t]++
            if (c > best[t]) { best[t] = c; grew[t] = execs[t] }
            if (val("finding") != "") findings[t]++
        }
        END {
            finished = total >= cap || total >= goal
            for (k = 1; k <= n; ++k) {
                t = order[k]
                printf "%-10s runs %4d  executions %12d  edges %5s at the start, %5d now  no new edge for %d executions  findings %d\n",
                    t, runs[t], execs[t], first[t], best[t], execs[t] - grew[t], findings[t]
                if (execs[t] - grew[t] < quiet) finished = total >= cap
            }
            printf "total      executions %d of %d\n", total, goal
            if (n && finished) print "done"
        }' "$dir/campaign.log"
}

running() { [ -f "$dir/pid" ] && kill -0 "$(cat "$dir/pid")" 2>/dev/null; }

# The campaign itself; runs from the campaign folder's copy of this script, with
# the fuzzers, seeds and dictionaries there, so that it outlives the work tree.
campaign() {
    local t idle=0 log bin out rc stamp
    # The leader of a session of its own: "stop" ends it and its fuzzer together.
    echo $$ >"$dir/pid"
    mapfile -t targets <"$dir/targets"
    while [ "$(figures | tail -n 1)" != done ]; do
        for t in "${targets[@]}"; do
            bin="$dir/bin/qm_fuzz_$t" out="$dir/last-$t.log"
            mkdir -p "$dir/corpus/$t" "$dir/findings/$t"
            stamp=$(mktemp)
            rc=0
            # shellcheck disable=SC2046  # the options are words
            nice -n 19 "$bin" $(cat "$dir/options-$t") -max_total_time="${QM_FUZZ_RUN_SECONDS:-600}" \
                -artifact_prefix="$dir/findings/$t/" "$dir/corpus/$t" "$dir/seeds/$t" "$dir/kept/$t" >"$out" 2>&1 || rc=$?
            log=$(awk -v t="$t" -v rc="$rc" '
                /INITED/ && start == "" { for (i = 1; i < NF; ++i) { if ($i == "cov:") start = $(i + 1); if ($i == "ft:") fts = $(i + 1) } }
                / cov: / { for (i = 1; i < NF; ++i) { if ($i == "cov:") end = $(i + 1); if ($i == "ft:") fte = $(i + 1) } }
                /^#[0-9]+/ { last = substr($1, 2) }
                /stat::number_of_executed_units:/ { execs = $2 }
                END { if (execs == "") execs = last + 0
                      printf "target=%s execs=%d cov_start=%s cov_end=%s ft_start=%s ft_end=%s exit=%s", t, execs, start, end, fts, fte, rc }' "$out")
            for f in $(find "$dir/findings/$t" -type f -newer "$stamp"); do log+=" finding=$f"; done
            rm -f "$stamp"
            echo "$(date '+%F %T') run $log corpus=$(ls "$dir/corpus/$t" | wc -l)" >>"$dir/campaign.log"
            # A fuzzer that no longer starts would turn this loop into a busy one.
            if [[ $log == *" execs=0 "* ]]; then idle=$((idle + 1)); else idle=0; fi
            if [ "$idle" -ge 3 ]; then
                echo "$(date '+%F %T') stopped: three runs in a row made no execution (see last-$t.log)" >>"$dir/campaign.log"
                rm -f "$dir/pid"
                return 1
            fi
            if [ "$(figures | tail -n 1)" = done ]; then break; fi
        done
    done
    figures | sed 's/^done$/campaign finished/' >>"$dir/campaign.log"
    rm -f "$dir/pid"
}

case ${1:-} in
start)
    # shellcheck source=tests/fuzz/common.sh
    source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
    fuzz_prepare
    mkdir -p "$dir/bin" "$dir/kept"
    fuzz_targets >"$dir/targets"
    rm -rf "$dir/seeds" "$dir/dict"
    cp -r "$fuzz_out/seeds" "$fuzz_out/dict" "$dir/"
    for t in $(fuzz_targets); do
        # Replaced whole, so that a running campaign starts its next run with the new one.
        cp "$fuzz_out/qm_fuzz_$t" "$dir/bin/.qm_fuzz_$t" && mv "$dir/bin/.qm_fuzz_$t" "$dir/bin/qm_fuzz_$t"
        fuzz_options "$t" "$dir" >"$dir/options-$t"
        rm -rf "$dir/kept/$t"
        mkdir -p "$dir/kept/$t"
        if [ -d "$fuzz_dir/corpus/$t" ]; then cp -r "$fuzz_dir/corpus/$t/." "$dir/kept/$t/"; fi
    done
    cp "${BASH_SOURCE[0]}" "$dir/.campaign.sh" && mv "$dir/.campaign.sh" "$dir/campaign.sh"
    if running; then
        echo "campaign $(cat "$dir/pid") goes on with the new fuzzers from its next run"
    else
        rm -f "$dir/pid"
        nohup setsid bash "$dir/campaign.sh" run </dev/null >>"$dir/campaign.out" 2>&1 &
        for _ in $(seq 50); do
            [ -s "$dir/pid" ] && break
            sleep 0.1
        done
        echo "campaign started: pid $(cat "$dir/pid"), log $dir/campaign.log"
    fi
    ;;
run) campaign ;;
status)
    figures
    if running; then echo "running: pid $(cat "$dir/pid")"; else echo "not running"; fi
    ;;
minimise)
    # shellcheck source=tests/fuzz/common.sh
    source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
    fuzz_prepare
    for t in $(fuzz_targets); do
        fresh=$(mktemp -d)
        inputs=()
        for d in "$fuzz_dir/corpus/$t" "$dir/corpus/$t" "$fuzz_out/seeds/$t"; do
            if [ -d "$d" ]; then inputs+=("$d"); fi
        done
        # shellcheck disable=SC2046  # the options are words
        nice -n 19 "$fuzz_out/qm_fuzz_$t" -merge=1 $(fuzz_options "$t" "$fuzz_out") "$fresh" "${inputs[@]}" \
            >"$fuzz_out/merge-$t.log" 2>&1
        rm -rf "$fuzz_dir/corpus/$t"
        mkdir -p "$fuzz_dir/corpus"
        mv "$fresh" "$fuzz_dir/corpus/$t"
        chmod 755 "$fuzz_dir/corpus/$t"
        echo "corpus/$t: $(ls "$fuzz_dir/corpus/$t" | wc -l) inputs, $(du -sk "$fuzz_dir/corpus/$t" | cut -f1) KiB"
    done
    ;;
stop)
    if running; then kill -- "-$(cat "$dir/pid")" && rm -f "$dir/pid" && echo stopped; else echo "not running"; fi
    ;;
*)
    sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2
    exit 2
    ;;
esac
