# shellcheck shell=bash
# Shared by run.sh and campaign.sh (sourced): the targets, the clang build of the
# fuzzers, their seeds and dictionaries, and the options every fuzzing run takes.

fuzz_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
fuzz_root=$(cd "$fuzz_dir/../.." && pwd)
fuzz_build=${QM_FUZZ_BUILD_DIR:-$fuzz_root/build-fuzz}
fuzz_out=$fuzz_build/tests/fuzz

# One target per fuzz_<name>.cpp.
fuzz_targets() {
    local f
    for f in "$fuzz_dir"/fuzz_*.cpp; do
        f=${f##*/fuzz_}
        echo "${f%.cpp}"
    done
}

# Builds the fuzzers and writes, under $fuzz_out, the seeds (seeds/<target>/) and
# each target's dictionary (dict/<target>.dict: format.dict and the target's own).
fuzz_prepare() {
    local t targets=()
    for t in $(fuzz_targets); do targets+=("qm_fuzz_$t"); done
    cmake -S "$fuzz_root" -B "$fuzz_build" -G Ninja -DQM_FUZZ=ON -DQM_BUILD_GUI=OFF -DQM_BUILD_TESTS=ON \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$fuzz_build" --target qm_fuzz_seeds "${targets[@]}"
    rm -rf "$fuzz_out/seeds" "$fuzz_out/dict"
    mkdir -p "$fuzz_out/seeds" "$fuzz_out/dict"
    "$fuzz_out/qm_fuzz_seeds" "$fuzz_out/seeds"
    for t in $(fuzz_targets); do
        cat "$fuzz_dir/format.dict" >"$fuzz_out/dict/$t.dict"
        if [ -f "$fuzz_dir/$t.dict" ]; then cat "$fuzz_dir/$t.dict" >>"$fuzz_out/dict/$t.dict"; fi
    done
}

# The options of every run of target $1, whose seeds and dictionary lie under $2
# as fuzz_prepare leaves them. Inputs may be twice the largest seed: room for
# growth, while longer ones would only slow the search down.
fuzz_options() {
    local largest
    largest=$(stat -c %s "$2/seeds/$1"/* | sort -n | tail -1)
    echo "-dict=$2/dict/$1.dict -max_len=$((largest * 2)) -timeout=10 -rss_limit_mb=2048 -print_final_stats=1"
}
