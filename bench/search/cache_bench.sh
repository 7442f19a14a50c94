#!/usr/bin/env bash
# The content cache on the generated archive tree: the first search (cache
# emptied just before), the second (from the cache) and `ugrep -z -r -i`,
# each once per round in turn, so a drift of the shared machine's speed hits
# all alike. Prints CPU s (user + system) and wall s per round, the medians
# of the per-round ratios, and the cache's size against the text's.
# Usage: bench/search/cache_bench.sh [BUILD_DIR] [WORK_DIR] [ROUNDS] [SIZE_MB]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=${2:-/tmp/zr-cache-bench}
rounds=${3:-5}
size=${4:-64}
zrgrep=$(realpath "$build/bin/zrgrep")
export LC_ALL=C.UTF-8
[ -x "$zrgrep" ] || { echo "missing $zrgrep: build first" >&2; exit 2; }
command -v ugrep >/dev/null || { echo "missing ugrep (scripts/install-deps.sh)" >&2; exit 2; }
mkdir -p "$work"
if [ ! -f "$work/truth.json" ] || [ "$(cat "$work/size" 2>/dev/null)" != "$size" ]; then
  python3 bench/search/make_archive_tree.py "$work" --size-mb "$size"
  echo "$size" >"$work/size"
fi
# Settings, work folders and the cache stay inside the bench folder.
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache TMPDIR=$work
tree=$work/tree
cases=(
  "first;\"$zrgrep\" --clear-cache && \"$zrgrep\" --count quokka \"$tree\""
  "second;\"$zrgrep\" --count quokka \"$tree\""
  "ugrep -i;ugrep -z -r -c -i quokka \"$tree\""
)
results=$work/cache-results
: >"$results"
for round in $(seq "$rounds"); do
  for i in "${!cases[@]}"; do
    /usr/bin/time -f "%e %U %S" -o "$work/time" bash -c "${cases[$i]#*;}" >/dev/null 2>&1 || true
    read -r wall user sys <"$work/time"
    cpu=$(echo "$user + $sys" | bc)
    echo "$round $i $cpu $wall" >>"$results"
    printf 'round %d  %-8s cpu %6.2f s  wall %6.2f s\n' "$round" "${cases[$i]%%;*}" "$cpu" "$wall"
  done
done
python3 - "$results" "$work/truth.json" "$XDG_CACHE_HOME/zurivo" <<'PY'
import json, os, statistics, sys
rows = [line.split() for line in open(sys.argv[1])]
by = {}
for r, i, cpu, wall in rows:
    by.setdefault(int(r), {})[int(i)] = (float(cpu), float(wall))
def ratio(a, b, k):
    return statistics.median(v[a][k] / max(v[b][k], 1e-3) for v in by.values())
print(f"first / second: cpu {ratio(0, 1, 0):.1f}x  wall {ratio(0, 1, 1):.1f}x")
print(f"ugrep / second: cpu {ratio(2, 1, 0):.1f}x  wall {ratio(2, 1, 1):.1f}x")
text = json.load(open(sys.argv[2]))["text_bytes"]
packs = sum(os.path.getsize(os.path.join(sys.argv[3], f)) for f in os.listdir(sys.argv[3]) if f.endswith(".zrp"))
print(f"cache {packs / 1e6:.1f} MB for {text / 1e6:.1f} MB of text: {100 * packs / text:.0f}%")
PY
