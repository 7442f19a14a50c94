#!/usr/bin/env bash
# Whole-search benchmark over the generated archive tree: zrgrep against
# ugrep -z -r and against the decompression floor (bsdtar -xOf of every
# archive to /dev/null, one and two archives at a time), every command once
# per round in turn, so that a drift of the shared machine's speed hits all
# of them alike. Wall seconds, CPU seconds (user + system) and peak RSS of
# the largest single process (/usr/bin/time); medians over the rounds, and
# ratios taken round by round, then their median.
# Usage: bench/search/run_bench.sh [BUILD_DIR] [WORK_DIR] [ROUNDS] [SIZE_MB]
# ROUNDS 0 prints the report of the rounds run last (e.g. after an interrupted
# run). A round on the full tree takes about 10 minutes on a loaded 2-core
# machine; run it under nice when the machine is shared.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=${2:-/tmp/zr-search-bench}
rounds=${3:-3}
size=${4:-256}
zrgrep=$(realpath "$build/bin/zrgrep")
export LC_ALL=C.UTF-8

[ -x "$zrgrep" ] || { echo "missing $zrgrep: build first" >&2; exit 2; }
for tool in ugrep bsdtar taskset iconv python3; do
  command -v $tool >/dev/null || { echo "missing $tool (scripts/install-deps.sh)" >&2; exit 2; }
done
mkdir -p "$work"
if [ ! -f "$work/truth.json" ] || [ "$(cat "$work/size" 2>/dev/null)" != "$size" ]; then
  python3 bench/search/make_archive_tree.py "$work" --size-mb "$size"
  echo "$size" >"$work/size"
fi
tree=$work/tree
# zrgrep's own settings and work folders stay inside the bench folder.
export XDG_CONFIG_HOME=$work/config TMPDIR=$work
find "$tree" -type f | sort >"$work/archives"
japanese=$(printf '検査' | iconv -f UTF-8 -t CP932)

# name ; command (run through bash -c; $T is the tree, $J the CP932 pattern bytes)
cases=(
  "zrgrep fuzzy ASCII;\"$zrgrep\" --count quokka \"\$T\""
  "ugrep -i fuzzy ASCII;ugrep -z -r -c -i quokka \"\$T\""
  "zrgrep literal Japanese;\"$zrgrep\" --count --no-fuzzy 検査 \"\$T\""
  "ugrep literal Japanese;ugrep -z -r -c -U -e \"\$J\" \"\$T\""
  "zrgrep fuzzy Japanese;\"$zrgrep\" --count カメラ \"\$T\""
  "floor, 2 at a time;xargs -d '\\n' -n 1 -P 2 bsdtar -xOf <\"$work/archives\" >/dev/null"
  "floor, 1 at a time;xargs -d '\\n' -n 1 -P 1 bsdtar -xOf <\"$work/archives\" >/dev/null"
  "zrgrep fuzzy ASCII, 1 core;taskset -c 0 \"$zrgrep\" --count quokka \"\$T\""
  "floor, 1 core;taskset -c 0 xargs -d '\\n' -n 1 -P 1 bsdtar -xOf <\"$work/archives\" >/dev/null"
)

median() { sort -n | awk '{v[NR]=$1} END{print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

[ "$rounds" -gt 0 ] && rm -f "$work"/result.*
for round in $(seq "$rounds"); do
  for i in "${!cases[@]}"; do
    command=${cases[$i]#*;}
    T=$tree J=$japanese /usr/bin/time -f "%e %U %S %M" -o "$work/time" bash -c "$command" >"$work/out.$i" 2>/dev/null || true
    read -r wall user sys rss <"$work/time"
    echo "$wall $(awk "BEGIN{print $user + $sys}") $rss" >>"$work/result.$i"
  done
  echo "round $round of $rounds done" >&2
done

# Hit lines each tool reported (zrgrep's summary, the sum of ugrep's counts).
lines_of() {
  if grep -q '行 見つかりました' "$work/out.$1"; then
    sed -E 's/^([0-9,]+) 行.*/\1/' "$work/out.$1" | tr -d ,
  else
    awk -F: '{s += $NF} END{print s + 0}' "$work/out.$1"
  fi
}
wall_of() { awk '{print $1}' "$work/result.$1" | median; }
# Median of the per-round ratios of two cases' wall times (CPU times with "cpu").
ratio_of() {
  local field=1
  [ "${3:-}" = cpu ] && field=2
  paste -d' ' "$work/result.$1" "$work/result.$2" | head -n "$(wc -l <"$work/result.$2")" |
    awk -v f="$field" '{b = $(f + 3); print $f / (b > 0 ? b : 0.01)}' | median
}

bytes=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['text_bytes'])" "$work/truth.json")
echo "Tree: $(wc -l <"$work/archives") archives (ZIP, tar.gz, tar.bz2), $((bytes / 1000000)) MB of text;"
echo "$(wc -l <"$work/result.0") rounds, commands in turn; $(nproc) cores; load average at the end $(cut -d' ' -f1-3 /proc/loadavg); $(date -u +%F)."
echo "Ground truth (hit lines): $(python3 -c "import json,sys; print(', '.join(p['name'] + ' ' + str(p['hit_lines']) for p in json.load(open(sys.argv[1]))['patterns']))" "$work/truth.json")."
echo
echo "| command | hit lines | wall s | CPU s | peak RSS MB |"
echo "|---|---|---|---|---|"
for i in "${!cases[@]}"; do
  name=${cases[$i]%%;*}
  lines="-"; case $name in floor*) ;; *) lines=$(lines_of "$i") ;; esac
  printf '| %s | %s | %.2f | %.2f | %.1f |\n' "$name" "$lines" "$(wall_of "$i")" \
    "$(awk '{print $2}' "$work/result.$i" | median)" "$(awk '{print $3 / 1024}' "$work/result.$i" | median)"
done
echo
echo "Ratios (median of the per-round ratios):"
echo
echo "| ratio | wall | CPU |"
echo "|---|---|---|"
ratio_row() { printf '| %s | %.2f | %.2f |\n' "$1" "$(ratio_of "$2" "$3")" "$(ratio_of "$2" "$3" cpu)"; }
ratio_row "zrgrep fuzzy ASCII / floor, 2 at a time" 0 5
ratio_row "zrgrep fuzzy ASCII / ugrep -i" 0 1
ratio_row "zrgrep literal Japanese / ugrep" 2 3
ratio_row "zrgrep fuzzy Japanese / floor, 2 at a time" 4 5
ratio_row "zrgrep fuzzy ASCII / floor, 1 at a time" 0 6
ratio_row "zrgrep fuzzy ASCII, 1 core / floor, 1 core" 7 8
