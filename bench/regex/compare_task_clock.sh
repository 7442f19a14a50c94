#!/usr/bin/env bash
# Runs a few commands in turn, ROUNDS times, each under `perf stat -e task-clock`
# and prints the median task-clock (ms, process start included) of each: finer
# than /usr/bin/time's 10 ms and fair on a busy machine, since the commands
# share every round's conditions.
# Usage: bench/regex/compare_task_clock.sh ROUNDS CMD1 ARGS... ';;' CMD2 ARGS... [';;' ...]
set -uo pipefail
rounds=$1
shift
commands=()
current=""
for arg in "$@"; do
  if [ "$arg" = ";;" ]; then commands+=("$current"); current=""; else current+="$(printf '%q ' "$arg")"; fi
done
[ -n "$current" ] && commands+=("$current")
declare -A times
# Output goes to a file, not /dev/null: GNU grep stops at the first match
# when it sees its output discarded.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for _ in $(seq "$rounds"); do
  for i in "${!commands[@]}"; do
    ms=$(eval "perf stat -x, -e task-clock ${commands[$i]}" 2>&1 >"$out" | grep task-clock | cut -d, -f1)
    times[$i]+="$ms "
  done
done
for i in "${!commands[@]}"; do
  median=$(echo ${times[$i]} | tr ' ' '\n' | sort -n |
    awk '{v[NR]=$1} END{print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}')
  printf '%8.1f ms  %s\n' "$median" "${commands[$i]}"
done
