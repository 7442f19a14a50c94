#!/usr/bin/env bash
# Pattern-engine benchmark: zrscan --count against grep -c (and ugrep when
# installed) on a generated CP932 text, plus a 25 MB vs 100 MB check of time
# and peak memory. Prints Markdown tables.
# Usage: bench/regex/run_bench.sh [BUILD_DIR] [WORK_DIR]   (build first)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
bin=$build/bin
work=${2:-$(mktemp -d)}
runs=3
export LC_ALL=C

for tool in zrscan zr_bench_gen_text zr_bench_ere; do
  [ -x "$bin/$tool" ] || { echo "missing $bin/$tool: build first" >&2; exit 2; }
done
[ -f "$work/text100.txt" ] || "$bin/zr_bench_gen_text" 100 "$work/text100.txt"
[ -f "$work/text25.txt" ] || "$bin/zr_bench_gen_text" 25 "$work/text25.txt"

# name | zrscan flags | pattern (UTF-8)
cases=(
  "plain literal||timeout"
  "fuzzy ASCII word|--fuzzy|error"
  "fuzzy Japanese word|--fuzzy|ファイル"
  "class-heavy regex||[A-Za-z_][A-Za-z0-9_]*=[0-9][0-9]*"
)

# Best CPU seconds (user + system: steadier than wall time on a shared
# machine) and peak RSS (KB) of $runs runs; the command's output goes to $work/out.
measure() {
  local best="" rss=0 t u s m
  for _ in $(seq $runs); do
    /usr/bin/time -f "%U %S %M" -o "$work/time" "$@" >"$work/out" 2>/dev/null || true
    read -r u s m <"$work/time"
    t=$(awk "BEGIN{printf \"%.2f\", $u + $s}")
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
    [ "$m" -gt "$rss" ] && rss=$m
  done
  echo "$best $rss"
}

mbps() { awk "BEGIN{ if ($2 > 0) printf \"%.0f\", $1 / $2; else print \"inf\" }"; }

size100=$(stat -c %s "$work/text100.txt")
mb100=$(awk "BEGIN{print $size100 / 1000000}")
has_ugrep=0; command -v ugrep >/dev/null && has_ugrep=1

echo "Text: $mb100 MB CP932 ($work/text100.txt), best CPU time (user + system) of $runs runs, $(nproc) cores, $(date -u +%F)"
echo
echo "| pattern | lines | zrscan s | zrscan MB/s | grep s | grep MB/s | zrscan/grep time$( [ $has_ugrep = 1 ] && echo " | ugrep s | ugrep MB/s") |"
echo "|---|---|---|---|---|---|---|$( [ $has_ugrep = 1 ] && echo "---|---|")"
for entry in "${cases[@]}"; do
  IFS='|' read -r name flags pattern <<<"$entry"
  ere=$("$bin/zr_bench_ere" $flags "$pattern")
  read -r zt _ < <(measure "$bin/zrscan" --count $flags -- "$pattern" "$work/text100.txt")
  zcount=$(cut -d: -f2 "$work/out")
  read -r gt _ < <(measure grep -a -c -E -e "$ere" "$work/text100.txt")
  gcount=$(cat "$work/out")
  note=""; [ "$zcount" = "$gcount" ] || note=" (grep counted $gcount)"
  row="| $name | $zcount$note | $zt | $(mbps "$mb100" "$zt") | $gt | $(mbps "$mb100" "$gt") | $(awk "BEGIN{printf \"%.1f\", $zt / ($gt > 0 ? $gt : 0.01)}")"
  if [ $has_ugrep = 1 ]; then
    read -r ut _ < <(measure ugrep -U -a -c -E -e "$ere" "$work/text100.txt")
    row="$row | $ut | $(mbps "$mb100" "$ut")"
  fi
  echo "$row |"
done

echo
echo "Scaling of zrscan: 25 MB vs 100 MB"
echo
echo "| pattern | 25 MB s | 100 MB s | time ratio | 25 MB max RSS KB | 100 MB max RSS KB |"
echo "|---|---|---|---|---|---|"
for entry in "${cases[@]}"; do
  IFS='|' read -r name flags pattern <<<"$entry"
  read -r t25 m25 < <(measure "$bin/zrscan" --count $flags -- "$pattern" "$work/text25.txt")
  read -r t100 m100 < <(measure "$bin/zrscan" --count $flags -- "$pattern" "$work/text100.txt")
  echo "| $name | $t25 | $t100 | $(awk "BEGIN{printf \"%.2f\", $t100 / ($t25 > 0 ? $t25 : 0.01)}") | $m25 | $m100 |"
done
