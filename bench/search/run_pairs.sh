#!/usr/bin/env bash
# Two builds of zrgrep against each other and against the decompression
# floor on the first N archives of the bench tree, every command once per
# round in turn (so the shared machine's drift hits all alike). Prints each
# command's wall s, CPU s and peak RSS per round, then the medians of the
# per-round ratios.
# Usage: bench/search/run_pairs.sh BASE_BIN NEW_BIN [WORK_DIR] [ROUNDS] [ARCHIVES]
#   BASE_BIN, NEW_BIN: folders holding zrgrep, zrworker and the libraries.
#   WORK_DIR: a folder run_bench.sh made (its tree/ is used, not changed).
set -euo pipefail
base=$(realpath "$1")/zrgrep
new=$(realpath "$2")/zrgrep
work=${3:-/tmp/zr-search-bench}
rounds=${4:-3}
count=${5:-60}
export LC_ALL=C.UTF-8
[ -x "$base" ] && [ -x "$new" ] || { echo "missing zrgrep in $1 or $2" >&2; exit 2; }
[ -d "$work/tree" ] || { echo "no tree in $work: run bench/search/run_bench.sh first" >&2; exit 2; }
pairs=$work/pairs
rm -rf "$pairs"
mkdir -p "$pairs/sub"
# Hard links: the same bytes, a folder of exactly these archives.
find "$work/tree" -type f | sort | head -n "$count" | while read -r f; do
  ln "$f" "$pairs/sub/$(printf %04d "$((n = ${n:-0} + 1))")-$(basename "$f")"
done
find "$pairs/sub" -type f | sort >"$pairs/archives"
export XDG_CONFIG_HOME=$pairs/config TMPDIR=$pairs
S=$pairs/sub
cases=(
  "new;\"$new\" --count quokka $S"
  "base;\"$base\" --count quokka $S"
  "floor, 2 at a time;xargs -d '\\n' -n 1 -P 2 bsdtar -xOf <$pairs/archives >/dev/null"
  "new, 1 core;taskset -c 0 \"$new\" --count quokka $S"
  "base, 1 core;taskset -c 0 \"$base\" --count quokka $S"
  "floor, 1 core;taskset -c 0 xargs -d '\\n' -n 1 -P 1 bsdtar -xOf <$pairs/archives >/dev/null"
  "ugrep -i;ugrep -z -r -c -i quokka $S"
)
for round in $(seq "$rounds"); do
  for i in "${!cases[@]}"; do
    /usr/bin/time -f "%e %U %S %M" -o "$pairs/time" bash -c "${cases[$i]#*;}" >"$pairs/out.$i" 2>/dev/null || true
    read -r wall user sys rss <"$pairs/time"
    echo "$wall $(awk "BEGIN{print $user + $sys}") $rss" >>"$pairs/result.$i"
  done
  echo "round $round of $rounds; load $(cut -d' ' -f1-3 /proc/loadavg)" >&2
done
median() { sort -n | awk '{v[NR]=$1} END{print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
ratio() { paste -d' ' "$pairs/result.$1" "$pairs/result.$2" | awk -v f="$3" '{print $f / $(f + 3)}' | median; }
echo "| command | wall s (per round) | CPU s (per round) | peak RSS MB |"
echo "|---|---|---|---|"
for i in "${!cases[@]}"; do
  printf '| %s | %s | %s | %.1f |\n' "${cases[$i]%%;*}" "$(awk '{printf "%s ", $1}' "$pairs/result.$i")" \
    "$(awk '{printf "%s ", $2}' "$pairs/result.$i")" "$(awk '{print $3 / 1024}' "$pairs/result.$i" | sort -n | tail -1)"
done
echo
echo "| ratio (median of per-round ratios) | wall | CPU |"
echo "|---|---|---|"
row() { printf '| %s | %.2f | %.2f |\n' "$1" "$(ratio "$2" "$3" 1)" "$(ratio "$2" "$3" 2)"; }
row "new / floor, 2 at a time" 0 2
row "new / ugrep -z -r -i" 0 6
row "new, 1 core / floor, 1 core" 3 5
row "base / new" 1 0
row "base, 1 core / new, 1 core" 4 3
echo
echo "hit lines: new $(head -n 1 "$pairs/out.0" | cut -d" " -f1), base $(head -n 1 "$pairs/out.1" | cut -d" " -f1)"
