#!/bin/bash
# The document bench: workbooks per second per core, side by side with the
# floor of extracting the same XML by `unzip -p` and grepping it, and the
# peak memory of one 1,000,000-cell sheet. CPU seconds (user + sys) are
# summed from /usr/bin/time; each figure is the best of ROUNDS interleaved
# rounds. zrgrep runs in its own process (--in-process) for the per-core
# figure; one more line shows the same folder through one confined worker.
#
#   bash bench/documents/run.sh [BUILD_DIR] [WORKBOOKS] [ROUNDS]
set -euo pipefail
build=${1:-build}
count=${2:-200}
rounds=${3:-5}
zrgrep="$build/bin/zrgrep"
[ -x "$zrgrep" ] || { echo "no $zrgrep: build zrgrep first" >&2; exit 1; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
python3 "$(dirname "$0")/make_documents.py" "$folder" --count "$count"
export ZURIVO_REGISTRY="$folder/registry.sqlite3" TMPDIR="$folder" LC_ALL=C.UTF-8

cpu() {  # prints user+sys seconds of the command
    /usr/bin/time -f "%U %S" -o "$folder/time" "$@" >/dev/null 2>&1 || true
    awk '{ printf "%.3f\n", $1 + $2 }' "$folder/time"
}
floor() {
    for f in "$folder"/xlsx/*.xlsx; do
        unzip -p "$f" xl/sharedStrings.xml xl/worksheets/sheet1.xml | grep -c needle || true
    done
}
export -f floor
export folder

best_zr=999 best_zip=999 best_floor=999
for _ in $(seq "$rounds"); do
    t=$(cpu "$zrgrep" --in-process needle "$folder/xlsx"); best_zr=$(echo "$t $best_zr" | awk '{ print ($1 < $2) ? $1 : $2 }')
    t=$(cpu "$zrgrep" --in-process needle "$folder/books.zip"); best_zip=$(echo "$t $best_zip" | awk '{ print ($1 < $2) ? $1 : $2 }')
    t=$(cpu bash -c floor); best_floor=$(echo "$t $best_floor" | awk '{ print ($1 < $2) ? $1 : $2 }')
done
best_worker=999
for _ in $(seq "$rounds"); do
    t=$(cpu "$zrgrep" -j 1 needle "$folder/xlsx"); best_worker=$(echo "$t $best_worker" | awk '{ print ($1 < $2) ? $1 : $2 }')
done
hits=$("$zrgrep" --in-process --count needle "$folder/xlsx" 2>/dev/null | tail -1 || true)
rate() { echo "$count $1" | awk '{ printf "%.0f", ($2 > 0) ? $1 / $2 : 0 }'; }
echo "workbooks: $count of $(du -k "$folder/xlsx/book000.xlsx" | cut -f1) KB; zrgrep count: $hits"
echo "zrgrep, workbooks in a folder:  ${best_zr} s CPU  = $(rate "$best_zr") workbooks/s/core"
echo "zrgrep, workbooks in books.zip: ${best_zip} s CPU  = $(rate "$best_zip") workbooks/s/core"
echo "zrgrep -j 1, one worker (its CPU counted): ${best_worker} s CPU  = $(rate "$best_worker") workbooks/s/core"
echo "floor, unzip -p + grep:         ${best_floor} s CPU  = $(rate "$best_floor") workbooks/s/core"

/usr/bin/time -f "%M %U %S %e" -o "$folder/big" "$zrgrep" --in-process needle "$folder/big.xlsx" >"$folder/big.out" 2>&1 || true
read -r rss user sys wall <"$folder/big"
echo "big.xlsx ($(du -k "$folder/big.xlsx" | cut -f1) KB, 1,000,000 cells): peak RSS $((rss / 1024)) MB, CPU $(echo "$user $sys" | awk '{ print $1 + $2 }') s, wall $wall s, hits $(grep -c needle "$folder/big.out" || true)"
