#!/usr/bin/env bash
# Archives inside archives against the same text flat: a tree of ZIP and
# tar.gz archives whose text files sit in one inner ZIP each, beside a tree
# of the same archives holding the same files directly. zrgrep searches both
# in turn, once per round (so the shared machine's drift hits both alike),
# and prints wall s, CPU s and peak RSS per round and the median ratios.
# Usage: bench/search/nested_bench.sh BIN_DIR [WORK_DIR] [ROUNDS] [ARCHIVES]
#   BIN_DIR: the folder holding zrgrep, zrworker and the libraries.
set -euo pipefail
zrgrep=$(realpath "$1")/zrgrep
work=${2:-/tmp/zr-nested-bench}
rounds=${3:-5}
count=${4:-80}
export LC_ALL=C.UTF-8 TZ=UTC
[ -x "$zrgrep" ] || { echo "missing zrgrep in $1" >&2; exit 2; }
rm -rf "$work"
mkdir -p "$work/flat" "$work/nested" "$work/src"
# Text: a few hundred KB per archive, some lines holding the word searched.
python3 - "$work/src" "$count" <<'PY'
import os, random, sys
out, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(27)
words = ["alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf", "hotel", "india", "juliet",
         "kilo", "lima", "mike", "november", "oscar", "papa", "quebec", "romeo", "sierra", "tango",
         "資料", "会議", "報告", "予定", "仕様"]
for a in range(count):
    d = os.path.join(out, "a%03d" % a, "docs")
    os.makedirs(d)
    for f in range(6):
        with open(os.path.join(d, "f%d.txt" % f), "w", encoding="utf-8") as fh:
            for line in range(800):
                ws = [rng.choice(words) for _ in range(rng.randint(4, 14))]
                if rng.random() < 0.002:
                    ws.insert(rng.randint(0, len(ws)), "quokka")
                fh.write(" ".join(ws) + "\n")
PY
for dir in "$work"/src/a*; do
  name=$(basename "$dir")
  (cd "$dir" && zip -q -X -r "$work/src/$name-inner.zip" docs)
  if [ $((10#${name#a} % 2)) -eq 0 ]; then
    (cd "$dir" && zip -q -X -r "$work/flat/$name.zip" docs)
    (cd "$work/src" && cp "$name-inner.zip" "$dir/inner.zip" && cd "$dir" && zip -q -X "$work/nested/$name.zip" inner.zip)
  else
    tar -C "$dir" -czf "$work/flat/$name.tar.gz" docs
    (cd "$work/src" && cp "$name-inner.zip" "$dir/inner.zip" && tar -C "$dir" -czf "$work/nested/$name.tar.gz" inner.zip)
  fi
done
export XDG_CONFIG_HOME=$work/config TMPDIR=$work
cases=("flat;$work/flat" "nested;$work/nested")
for round in $(seq "$rounds"); do
  for i in "${!cases[@]}"; do
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$zrgrep" --count quokka "${cases[$i]#*;}" >"$work/out.$i" 2>/dev/null || true
    read -r wall user sys rss <"$work/time"
    echo "$wall $(awk "BEGIN{print $user + $sys}") $rss" >>"$work/result.$i"
  done
  echo "round $round of $rounds; load $(cut -d' ' -f1-3 /proc/loadavg)" >&2
done
cmp -s "$work/out.0" "$work/out.1" || { echo "flat and nested found different counts:" >&2; cat "$work/out.0" "$work/out.1" >&2; exit 1; }
median() { sort -n | awk '{v[NR]=$1} END{print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
ratio() { paste -d' ' "$work/result.1" "$work/result.0" | awk -v f="$1" '{print $f / $(f + 3)}' | median; }
echo "$(cat "$work/out.0") ($(du -sh "$work/flat" | cut -f1) flat, $(du -sh "$work/nested" | cut -f1) nested)"
echo "| tree | wall s (per round) | CPU s (per round) | peak RSS MB |"
echo "|---|---|---|---|"
for i in "${!cases[@]}"; do
  printf '| %s | %s | %s | %.1f |\n' "${cases[$i]%%;*}" "$(awk '{printf "%s ", $1}' "$work/result.$i")" \
    "$(awk '{printf "%s ", $2}' "$work/result.$i")" "$(awk '{print $3 / 1024}' "$work/result.$i" | sort -n | tail -1)"
done
printf '\nnested / flat (median of per-round ratios): wall %.2f, CPU %.2f\n' "$(ratio 1)" "$(ratio 2)"
