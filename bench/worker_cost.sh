#!/bin/bash
# What searching archives in confined worker processes costs against searching
# them in zrgrep's own process: the same folder of small ZIP archives, each
# searched both ways, best of three runs each.
#
#   bash bench/worker_cost.sh [BUILD_DIR] [ARCHIVES] [LINES_PER_FILE]
set -euo pipefail
build=${1:-build}
count=${2:-300}
lines=${3:-2000}
zrgrep="$build/bin/zrgrep"
[ -x "$zrgrep" ] || { echo "no $zrgrep: build zrgrep and zrworker first" >&2; exit 1; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
python3 - "$folder" "$count" "$lines" <<'PY'
import sys, zipfile
folder, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(count):
    with zipfile.ZipFile(f"{folder}/a{i:04d}.zip", "w", zipfile.ZIP_DEFLATED) as z:
        for j in range(4):
            lines = [f"line {k} of file {j} in archive {i}" for k in range(size)]
            lines[size // 2] += " needle"
            z.writestr(f"dir/f{j}.txt", "\r\n".join(lines))
PY
best() {
    local best=999999
    for _ in 1 2 3; do
        local start end ms
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s%N)
        ms=$(( (end - start) / 1000000 ))
        (( ms < best )) && best=$ms
    done
    echo "$best"
}
inproc=$(best "$zrgrep" --in-process needle "$folder")
workers=$(best "$zrgrep" needle "$folder")
echo "archives: $count (4 stored files of $lines lines each)"
echo "in-process: ${inproc} ms"
echo "workers:    ${workers} ms"
awk -v a="$inproc" -v b="$workers" -v n="$count" \
    'BEGIN { printf "ratio: %.2f, per archive: %+.2f ms\n", b / a, (b - a) / n }'
