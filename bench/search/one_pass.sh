#!/usr/bin/env bash
# One pass per archive, checked and measured:
# 1. opens: zrgrep (in its own process, and with workers) over a small tree of
#    every common kind must open each archive exactly once (strace counts the
#    openat calls naming it); exit status 1 otherwise.
# 2. scale: ZIP archives of 5k, 20k and 200k stored files, searched whole
#    (wall and CPU seconds, /usr/bin/time), to show the time grows linearly.
# 3. memory: a 2 GB stored file (tar, and tar.gz with a 1 GB file when SIZE_GB
#    is given as 1), scanned with peak RSS below 64 MB and nothing on disk.
# Usage: bench/search/one_pass.sh [BUILD_DIR] [WORK_DIR] [opens|scale|memory|all]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=${2:-/tmp/zr-one-pass}
what=${3:-all}
zrgrep=$(realpath "$build/bin/zrgrep")
export LC_ALL=C.UTF-8
mkdir -p "$work"
export XDG_CONFIG_HOME=$work/config TMPDIR=$work

opens() {
  local tree=$work/opens
  rm -rf "$tree" && mkdir -p "$tree/src/sub"
  for i in 1 2 3; do printf 'needle %s\nnothing\n' "$i" >"$tree/src/f$i.txt"; done
  printf 'needle deep\n' >"$tree/src/sub/deep.txt"
  (cd "$tree/src" && zip -qr ../a.zip . && tar czf ../b.tar.gz . && tar cjf ../c.tar.bz2 . && tar cf ../d.tar . \
     && 7zz a -bso0 ../e.7z . && gzip -c f1.txt >../f.txt.gz)
  rm -rf "$tree/src"
  local status=0
  for mode in --in-process "-j 1"; do
    # shellcheck disable=SC2086
    strace -f -qq -e trace=openat,open -o "$work/trace" "$zrgrep" $mode --count needle "$tree" >/dev/null || true
    for archive in "$tree"/*; do
      local n
      n=$(grep -c -F "\"$archive\"" "$work/trace" || true)
      echo "opens $mode $(basename "$archive"): $n"
      [ "$n" -eq 1 ] || status=1
    done
  done
  return $status
}

many_entries_zip() {  # FILE COUNT
  python3 - "$1" "$2" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_STORED) as z:
    for i in range(int(sys.argv[2])):
        z.writestr(f"d{i % 100}/f{i}.txt", f"line {i}\n" + ("needle\n" if i % 1000 == 0 else ""))
PY
}

scale() {
  for count in 5000 20000 200000; do
    local dir=$work/scale$count
    if [ ! -f "$dir/a.zip" ]; then mkdir -p "$dir" && many_entries_zip "$dir/a.zip" "$count"; fi
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$zrgrep" --count needle "$dir" >/dev/null || true
    read -r wall user sys rss <"$work/time"
    echo "scale $count entries: wall ${wall}s cpu $(awk "BEGIN{print $user + $sys}")s rss ${rss}KB"
  done
}

memory() {
  local dir=$work/memory
  mkdir -p "$dir"
  if [ ! -f "$dir/big.tar" ]; then
    python3 - "$dir/big.txt" <<'PY'
import sys
line = b"the quick brown fox jumps over the lazy dog 0123456789\n"
with open(sys.argv[1], "wb") as f:
    block = line * (1 << 14)
    written = 0
    while written < (2 << 30):
        f.write(block)
        written += len(block)
    f.write(b"needle at the end\n")
PY
    (cd "$dir" && tar cf big.tar big.txt && rm big.txt)
  fi
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$zrgrep" --count needle "$dir" || true
  read -r wall user sys rss <"$work/time"
  echo "memory 2 GB stored file: wall ${wall}s cpu $(awk "BEGIN{print $user + $sys}")s peak rss ${rss}KB"
  [ "$rss" -le 65536 ]
}

case $what in
  opens) opens ;;
  scale) scale ;;
  memory) memory ;;
  all) opens && scale && memory ;;
esac
