#!/bin/bash
# Builds every fuzzing harness in fuzz/ with clang + libFuzzer (ASan + UBSan)
# and runs each for SECONDS (default 60) on its seeds; with harness names
# (e.g. "pattern unzip") only those. Crashes, hangs and leaks land in
# build-fuzz/findings/<harness>/ (kept until removed) and are listed at the
# end. The exit status is 1 when there is any finding, unless --report is
# given: then findings are only printed (CI uses that, so a new finding of a
# random run does not fail the build; the kept regression inputs fail it
# through ctest instead). A failed build always fails. Reduce a finding with
#   build-fuzz/bin/<harness>_fuzz -minimize_crash=1 -runs=10000 <file>
# and keep it in fuzz/regressions/<harness>/ so that ctest replays it.
#
#   bash scripts/fuzz.sh [--report] [SECONDS] [HARNESS...]
set -euo pipefail
report=0
if [ "${1:-}" = "--report" ]; then
    report=1
    shift
fi
seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZR_FUZZ=ON >/dev/null
mapfile -t all < <(ninja -C "$out" -t targets all | sed -n 's/^\([a-z0-9_]*_fuzz\): .*/\1/p' | grep -v '^cmake_' | sort)
wanted=()
if [ $# -eq 0 ]; then
    wanted=("${all[@]}")
else
    for name in "$@"; do wanted+=("${name%_fuzz}_fuzz"); done
fi
cmake --build "$out" --target "${wanted[@]}"

broken=0
# A C library asking malloc for more than there is gets NULL, as it would
# outside the sanitizer (libarchive's 7z reader asks for what a header
# claims); operator new still reports.
export ASAN_OPTIONS="allocator_may_return_null=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
shared="$root/../shared/fixtures"
[ -d "$shared" ] || shared="$root/../../shared/fixtures"
for name in "${wanted[@]}"; do
    base=${name%_fuzz}
    corpus="$out/corpus/$base"
    findings="$out/findings/$base"
    mkdir -p "$corpus" "$findings"
    seeds=()
    for folder in "$root/fuzz/corpus/$base" "$root/fuzz/regressions/$base"; do
        [ -d "$folder" ] && seeds+=("$folder")
    done
    dict="$root/fuzz/$base.dict"
    case $base in
    unlha | cab | tar | unrar | unzip | sevenzip | unarj | arj_reader)
        mkdir -p "$out/seeds/archives"
        find "$root/tests/archivers/fixtures" -maxdepth 1 -type f ! -name '*.sh' -size -256k \
            -exec cp -n {} "$out/seeds/archives/" \;
        if [ -d "$shared/hostile" ]; then
            find "$shared/hostile" -maxdepth 1 -type f -size -256k -exec cp -n {} "$out/seeds/archives/" \;
        fi
        seeds+=("$out/seeds/archives")
        dict="$root/fuzz/archives.dict"
        ;;
    esac
    # -handle_xfsz=0: an oversized extraction fails its write (the harnesses
    # ignore SIGXFSZ) instead of ending the run.
    args=(-max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -handle_xfsz=0 -artifact_prefix="$findings/"
        -print_final_stats=1)
    [ -f "$dict" ] && args+=(-dict="$dict")
    echo "== $name ($seconds s)"
    touch "$out/$base.start"
    nice -n 10 "$out/bin/$name" "${args[@]}" "$corpus" "${seeds[@]}" >"$out/$base.log" 2>&1 || true
    { grep -E "^#[0-9]+.*(DONE|pulse)|stat::number_of_executed_units|stat::average_exec_per_sec" \
        "$out/$base.log" || tail -2 "$out/$base.log"; } | tail -3 | sed 's/^/   /'
    if ! grep -q "^#[0-9]*.*DONE" "$out/$base.log" &&
        [ -z "$(find "$findings" -type f -newer "$out/$base.start")" ]; then
        # Neither finished nor found anything: the harness could not run.
        echo "   ERROR: $name did not run (see $out/$base.log)"
        broken=1
    fi
    if [ -n "$(find "$findings" -type f)" ]; then
        # What went wrong, as the sanitizer or libFuzzer put it.
        grep -m1 -E "^==[0-9]+==ERROR|^SUMMARY|runtime error|deadly signal|ALARM|out-of-memory" "$out/$base.log" |
            sed 's/^/   FINDING: /' || true
    fi
done
echo "== findings"
found=$(for name in "${wanted[@]}"; do find "$out/findings/${name%_fuzz}" -type f; done | sort)
status=0
if [ -n "$found" ]; then
    echo "$found" | sed 's/^/   /'
    echo "   (logs: $out/<harness>.log)"
    [ $report -eq 1 ] || status=1
else
    echo "   none"
fi
[ $broken -eq 0 ] || status=1
exit $status
