#!/bin/bash
# Builds every fuzzing harness in fuzz/ with clang + libFuzzer (ASan + UBSan)
# and runs each for SECONDS (default 60) on its seed corpus. Crashes land in
# build-fuzz/findings/<harness>/.
#
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out"
status=0
for harness in "$out"/*_fuzz; do
    name=$(basename "$harness")
    corpus="$out/corpus/$name"
    findings="$out/findings/$name"
    mkdir -p "$corpus" "$findings"
    seeds="$root/fuzz/corpus/${name%_fuzz}"
    dict="$root/fuzz/${name%_fuzz}.dict"
    args=(-max_total_time="$seconds" -artifact_prefix="$findings/" -print_final_stats=1)
    [ -f "$dict" ] && args+=(-dict="$dict")
    echo "== $name ($seconds s)"
    if ! "$harness" "${args[@]}" "$corpus" "$seeds" 2>"$out/$name.log"; then
        echo "   FINDING: see $findings and $out/$name.log"
        status=1
    fi
    grep -E "stat::number_of_executed_units|stat::average_exec_per_sec|cov:" "$out/$name.log" | tail -3 | sed 's/^/   /'
done
exit $status
