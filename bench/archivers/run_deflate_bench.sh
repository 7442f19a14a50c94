#!/usr/bin/env bash
# One .tar.gz with about 1 GB of text: zrgrep's search of it against the
# ISA-L floor (igzip -dc to /dev/null), and our gzip decoding with ISA-L
# against zlib on the same file. The archive is generated here (deterministic
# ASCII log-like text in 16 members, gzip -6) and never committed.
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
mkdir -p "$work"
archive=$work/text-1gb.tar.gz
if [ ! -s "$archive" ]; then
  mkdir -p "$work/src"
  "$bin/zr_bench_gen_text" 1000 "$work/src/all.txt" --ascii
  (cd "$work/src" && split -b 64000000 -d -a 2 --additional-suffix=.log all.txt part- && rm all.txt)
  tar -C "$work/src" -cf - . | gzip -6 > "$archive"
  rm -rf "$work/src"
fi
ls -l "$archive"
# zrgrep's settings and work folders stay inside the bench folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
mkdir -p "$HOME"

timeit() { # label, then the command; /usr/bin/time prints user, sys, wall and peak RSS
  local label=$1
  shift
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f "$label user %U sys %S wall %e maxrss_kb %M" "$@" > /dev/null
  done
}
"$bin/zrgrep" --count quokka "$archive" || true
for ((r = 0; r < runs; r++)); do
  runs=1 timeit "zrgrep --count quokka" "$bin/zrgrep" --count quokka "$archive"
  runs=1 timeit "igzip -dc" sh -c 'exec igzip -dc "$1" > /dev/null' sh "$archive"
  runs=1 timeit "zr_bench_inflate isal" "$bin/zr_bench_inflate" isal "$archive"
  runs=1 timeit "zr_bench_inflate zlib" "$bin/zr_bench_inflate" zlib "$archive"
  runs=1 timeit "gzip -dc" sh -c 'exec gzip -dc "$1" > /dev/null' sh "$archive"
done
