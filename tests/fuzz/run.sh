#!/usr/bin/env bash
# Builds the document reader fuzzer with clang, writes a seed corpus of documents the
# editors write, and fuzzes both readers.
#   tests/fuzz/run.sh [seconds]        (default 20; build dir: $QM_FUZZ_BUILD_DIR or build-fuzz)
# Exits non-zero when the fuzzer finds a crash; the input is kept in <build>/tests/fuzz/artifacts.
set -euo pipefail

seconds=${1:-20}
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${QM_FUZZ_BUILD_DIR:-$src/build-fuzz}

cmake -S "$src" -B "$build" -G Ninja -DQM_FUZZ=ON -DQM_BUILD_GUI=OFF -DQM_BUILD_TESTS=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target qm_fuzz_reader qm_fuzz_seeds

out="$build/tests/fuzz"
seeds="$out/seeds"
corpus="$out/corpus"
artifacts="$out/artifacts"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus" "$artifacts"
"$out/qm_fuzz_seeds" "$seeds"

# Room for every seed with some growth; longer inputs only slow the search down.
largest=$(stat -c %s "$seeds"/* | sort -n | tail -1)
max_len=$((largest * 2))

echo "fuzzing both readers for ${seconds}s (max_len $max_len, seeds: $(ls "$seeds" | wc -l))"
"$out/qm_fuzz_reader" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$seeds"
