#!/usr/bin/env bash
# Fast-scan benchmark: zrscan --count against GNU grep -c and ripgrep -c on the
# same generated text, the three commands run in turn (zrscan grep rg zrscan
# ...) so that the ratios taken round by round stay meaningful on a busy
# machine. Whole-process CPU seconds (user + system, /usr/bin/time); medians.
# grep and rg get the pattern as an ERE over CP932 bytes, fuzzy forms expanded
# by our preprocessor (zr_bench_ere); the fuzzy ASCII case also runs grep -ci.
# Usage: bench/regex/run_ratios.sh [BUILD_DIR] [WORK_DIR] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
bin=$build/bin
work=${2:-$(mktemp -d)}
rounds=${3:-5}
export LC_ALL=C

for tool in zrscan zr_bench_gen_text zr_bench_ere; do
  [ -x "$bin/$tool" ] || { echo "missing $bin/$tool: build first" >&2; exit 2; }
done
mkdir -p "$work"
[ -f "$work/text100.txt" ] || "$bin/zr_bench_gen_text" 100 "$work/text100.txt"
[ -f "$work/english100.txt" ] || "$bin/zr_bench_gen_text" 100 "$work/english100.txt" --ascii

# name ; text ; zrscan flags ; pattern (UTF-8)
cases=(
  "ASCII literal;text100;-;timeout"
  "Japanese literal;text100;-;ファイル"
  "required literal, no hit;text100;-;foo[0-9]+bar"
  "fuzzy ASCII word;text100;--fuzzy;error"
  "fuzzy Japanese word;text100;--fuzzy;ファイル"
  "class-heavy, CP932;text100;-;[A-Za-z]+[0-9]+"
  "class-heavy, English;english100;-;[A-Za-z]+[0-9]+"
  "five-word alternation;text100;-;timeout|retry|closed|debug|failed"
)

# CPU seconds of one run; the output goes to $work/out.
cpu() {
  /usr/bin/time -f "%U %S" -o "$work/time" "$@" >"$work/out" 2>/dev/null || true
  tail -n 1 "$work/time" | awk '{printf "%.3f", $1 + $2}'
}
median() { sort -n | awk '{v[NR]=$1} END{print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
# ripgrep reads a pattern as UTF-8: bytes of CP932 go in as escapes.
hex_escaped() { perl -pe 's/([\x80-\xff])/sprintf("\\x%02X", ord($1))/ge'; }

echo "Texts: 100 MB CP932 (half Japanese, half ASCII lines) and 100 MB English-like ASCII, generated;"
echo "whole-process CPU s (user + system), median of $rounds rounds run in turn; $(nproc) cores; $(date -u +%F)."
echo
echo "| pattern | lines | zrscan s | zrscan MB/s | grep s | rg s | zrscan/grep | zrscan/rg |"
echo "|---|---|---|---|---|---|---|---|"
for entry in "${cases[@]}"; do
  IFS=';' read -r name text flags pattern <<<"$entry"
  [ "$flags" = "-" ] && flags=""
  file="$work/$text.txt"
  size=$(stat -c %s "$file")
  ere=$("$bin/zr_bench_ere" $flags "$pattern")
  rgpat="(?-u)$(printf '%s' "$ere" | hex_escaped)"
  : >"$work/z"; : >"$work/g"; : >"$work/r"; : >"$work/zg"; : >"$work/zr"
  for _ in $(seq "$rounds"); do
    z=$(cpu "$bin/zrscan" --count $flags -- "$pattern" "$file")
    lines=$(cut -d: -f2 "$work/out")
    g=$(cpu grep -a -c -E -e "$ere" "$file")
    glines=$(cat "$work/out")
    r=$(cpu rg -a -c --no-mmap -e "$rgpat" "$file")
    echo "$z" >>"$work/z"; echo "$g" >>"$work/g"; echo "$r" >>"$work/r"
    awk "BEGIN{print $z / ($g > 0 ? $g : 0.001)}" >>"$work/zg"
    awk "BEGIN{print $z / ($r > 0 ? $r : 0.001)}" >>"$work/zr"
  done
  note=""; [ "$lines" = "$glines" ] || note=" (grep: $glines)"
  zm=$(median <"$work/z")
  printf '| %s | %s%s | %s | %.0f | %s | %s | %.2f | %.2f |\n' "$name" "$lines" "$note" "$zm" \
    "$(awk "BEGIN{print $size / 1e6 / ($zm > 0 ? $zm : 0.001)}")" "$(median <"$work/g")" "$(median <"$work/r")" \
    "$(median <"$work/zg")" "$(median <"$work/zr")"
done

# grep's own case folding for the fuzzy ASCII word.
: >"$work/z"; : >"$work/g"; : >"$work/zg"
for _ in $(seq "$rounds"); do
  z=$(cpu "$bin/zrscan" --count --fuzzy error "$work/text100.txt")
  g=$(cpu grep -a -c -i error "$work/text100.txt")
  echo "$z" >>"$work/z"; echo "$g" >>"$work/g"
  awk "BEGIN{print $z / ($g > 0 ? $g : 0.001)}" >>"$work/zg"
done
echo
echo "Fuzzy ASCII word against grep -c -i error: zrscan $(median <"$work/z") s, grep -i $(median <"$work/g") s, ratio $(median <"$work/zg" | xargs printf '%.2f')."
