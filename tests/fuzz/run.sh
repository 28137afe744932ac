#!/usr/bin/env bash
# Builds the fuzz targets with clang and fuzzes each reader briefly in turn, from
# its seeds, the kept corpus (corpus/<target>/) and the inputs that once broke it
# (crashers/<target>/, so a regression shows at once), with the dictionaries.
#   tests/fuzz/run.sh [seconds]    all targets together (default 20); build folder:
#                                  $QM_FUZZ_BUILD_DIR or build-fuzz
# An input that crashes or hangs a reader, or breaks one of its checks, is kept in
# tests/fuzz/crashers/<target>/, where ctest replays it on every run from then on:
# fix the reader and commit the input with the fix. Exits non-zero then.
set -euo pipefail
# shellcheck source=tests/fuzz/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds=${1:-20}
fuzz_prepare

mapfile -t targets < <(fuzz_targets)
each=$((seconds / ${#targets[@]}))
[ "$each" -ge 1 ] || each=1
status=0
for t in "${targets[@]}"; do
    work="$fuzz_out/work/$t" crashers="$fuzz_dir/crashers/$t" log="$fuzz_out/$t.log"
    mkdir -p "$work" "$crashers"
    inputs=("$work" "$fuzz_out/seeds/$t")
    for kept in "$fuzz_dir/corpus/$t" "$crashers"; do
        if [ -n "$(ls -A "$kept" 2>/dev/null)" ]; then inputs+=("$kept"); fi
    done
    started=$(mktemp)
    # shellcheck disable=SC2046  # the options are words
    if "$fuzz_out/qm_fuzz_$t" $(fuzz_options "$t" "$fuzz_out") -max_total_time="$each" \
        -artifact_prefix="$crashers/" "${inputs[@]}" >"$log" 2>&1; then
        echo "fuzzed $t for ${each}s: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') runs," \
            "$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*') edges"
    else
        status=1
        tail -n 40 "$log" >&2
        echo "fuzzing $t FAILED (whole output: $log); the input is kept:" >&2
        find "$crashers" -type f -newer "$started" | sed 's/^/  /' >&2
    fi
    rm -f "$started"
    rmdir "$crashers" 2>/dev/null || true  # only a folder with inputs is kept
done
exit "$status"
