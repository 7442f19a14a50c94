#!/usr/bin/env bash
# One .tar.gz with about 1 GB of text: zrgrep's search of it against the
# ISA-L floor (igzip -dc to /dev/null), and our gzip decoding with ISA-L
# against zlib on the same file. The archive is generated here (deterministic
# ASCII log-like text in 16 members, compressed by igzip -3: gzip -6 needs
# tens of minutes on this text on a loaded 2-core machine) and never committed.
# Usage: bash bench/archivers/run_deflate_bench.sh [build-dir] [work-dir] [runs]
set -euo pipefail
build=${1:-build}
work=${2:-/tmp/zr-deflate-bench}
runs=${3:-5}
bin=$(realpath "$build/bin")
for tool in zrgrep zr_bench_gen_text zr_bench_inflate; do
  [ -x "$bin/$tool" ] || { echo "missing $bin/$tool: build first" >&2; exit 2; }
done
command -v igzip >/dev/null || { echo "igzip missing: install the isal package" >&2; exit 2; }
mkdir -p "$work/tree"
# zrgrep searches a folder: the archive is alone in its own.
archive=$work/tree/text-1gb.tar.gz
if [ ! -s "$archive" ]; then
  mkdir -p "$work/src"
  "$bin/zr_bench_gen_text" 1000 "$work/src/all.txt" --ascii
  (cd "$work/src" && split -b 64000000 -d -a 2 --additional-suffix=.log all.txt part- && rm all.txt)
  tar -C "$work/src" -cf - . | igzip -3 -T 2 -c > "$archive"
  rm -rf "$work/src"
fi
ls -l "$archive"
# zrgrep's settings and work folders stay inside the bench folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
mkdir -p "$HOME"

# One run: user, sys, wall and peak RSS of the whole process.
measure() {
  local label=$1
  shift
  /usr/bin/time -f "$label: user %U sys %S wall %e maxrss_kb %M" "$@" > /dev/null
}
"$bin/zrgrep" --count quokka "$work/tree"  # warm-up, and the hit count
for ((r = 0; r < runs; r++)); do  # interleaved rounds
  measure "zrgrep --count quokka" "$bin/zrgrep" --count quokka "$work/tree"
  measure "igzip -dc" sh -c 'exec igzip -dc "$1" > /dev/null' sh "$archive"
  measure "our gzip decoding, ISA-L" "$bin/zr_bench_inflate" isal "$archive"
  measure "our gzip decoding, zlib" "$bin/zr_bench_inflate" zlib "$archive"
  measure "gzip -dc" sh -c 'exec gzip -dc "$1" > /dev/null' sh "$archive"
done
