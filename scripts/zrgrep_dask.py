#!/usr/bin/python3
"""Searches a long list of archives with zrgrep on a Dask cluster: the list is
cut into shards of consecutive archives, every shard is one
`zrgrep --json --archives-from -` run on some worker, and the JSON lines are
written in shard order, so the output is that of one zrgrep run over the
whole list. The shards' messages are repeated on stderr, then one summary line
counted from the merged lines the way zrgrep counts them.

Usage:
  zrgrep_dask.py --list FILE [--local-workers N | --scheduler ADDRESS]
                 [--shard-size N] [--zrgrep PATH] -- [ZRGREP OPTIONS] PATTERN

Without --scheduler a LocalCluster of N worker processes (default 2) runs on
this machine. With --scheduler tcp://host:8786 the shards go to that cluster:
every worker must run zrgrep at the same path (--zrgrep) and see the archives
under the listed paths. Exit status as zrgrep's: 0 hits, 1 none, 2 when a
shard ended with an error (the other shards' lines are still written). zrgrep's
output options (--count, --quiet) do not belong after "--": the shards speak JSON.
Needs Debian's python3-distributed (scripts/install-deps.sh).
"""

import argparse
import json
import os
import shutil
import subprocess
import sys


def search_shard(zrgrep, options, paths):
    """Runs on a worker: one zrgrep over the shard's archives."""
    listed = "".join(path + "\n" for path in paths).encode("utf-8", "surrogateescape")
    result = subprocess.run([zrgrep, "--json", "--archives-from", "-", *options], input=listed,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    return result.returncode, result.stdout, result.stderr


def read_list(name):
    with open(name, "rb") as stream:
        lines = stream.read().decode("utf-8", "surrogateescape").split("\n")
    return [line[:-1] if line.endswith("\r") else line for line in lines if line not in ("", "\r")]


def shards_of(paths, size):
    return [paths[start:start + size] for start in range(0, len(paths), size)]


def summary_line(json_lines, fallback):
    """zrgrep's own count: records, archives with hits, stored files with hits."""
    hits = archives = files = 0
    last_archive = last_stored = None
    for line in json_lines:
        record = json.loads(line)
        if "line" not in record:
            continue  # not a hit (a report of a skipped archive)
        new_archive = hits == 0 or record["archive"] != last_archive
        if new_archive or record["stored"] != last_stored:
            files += 1
        if new_archive:
            archives += 1
        hits += 1
        last_archive, last_stored = record["archive"], record["stored"]
    if hits == 0:
        return fallback
    return f"{hits:,} 行 見つかりました。  書庫数： {archives:,} 件  格納数：{files:,} 件"


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", required=True, help="archive paths, one per line")
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--scheduler", help="address of a running Dask scheduler")
    where.add_argument("--local-workers", type=int, default=2, help="worker processes of a LocalCluster")
    parser.add_argument("--shard-size", type=int, default=0,
                        help="archives per shard (default: about four shards per worker)")
    parser.add_argument("--zrgrep", default=shutil.which("zrgrep") or "zrgrep", help="zrgrep on the workers")
    parser.add_argument("zrgrep_arguments", nargs=argparse.REMAINDER,
                        help="after --: zrgrep's options and the PATTERN")
    args = parser.parse_args(argv)
    if args.zrgrep_arguments[:1] == ["--"]:
        args.zrgrep_arguments = args.zrgrep_arguments[1:]
    if not args.zrgrep_arguments:
        parser.error("give zrgrep's PATTERN after --")
    return args


def connect(args):
    from distributed import Client, LocalCluster  # imported late: --help works without Dask

    if args.scheduler:
        return Client(args.scheduler), None
    cluster = LocalCluster(n_workers=args.local_workers, threads_per_worker=1, processes=True,
                           dashboard_address=None)
    return Client(cluster), cluster


def main(argv):
    args = parse_arguments(argv)
    paths = read_list(args.list)
    client, cluster = connect(args)
    try:
        workers = max(1, len(client.scheduler_info()["workers"]))
        size = args.shard_size or max(1, -(-len(paths) // (workers * 4)))
        shards = shards_of(paths, size)
        zrgrep = os.path.abspath(args.zrgrep) if os.sep in args.zrgrep else args.zrgrep
        futures = client.map(search_shard, [zrgrep] * len(shards), [args.zrgrep_arguments] * len(shards),
                             shards, pure=False)
        merged, statuses, fallback = [], [], ""
        # Written in shard order as each shard's turn comes; later shards wait in memory.
        for index, future in enumerate(futures):
            status, out, err = future.result()
            statuses.append(status)
            notes = err.decode("utf-8", "surrogateescape").splitlines(keepends=True)
            if status in (0, 1) and notes:
                # The shard's own summary line is left out; the whole run gets one below.
                fallback = fallback or notes[-1].strip()
                notes = notes[:-1]
            else:
                sys.stderr.write(f"zrgrep_dask: shard {index + 1} of {len(shards)} ended with status {status}\n")
            sys.stderr.write("".join(notes))
            sys.stdout.buffer.write(out)
            merged.extend(out.decode("utf-8").splitlines())
        sys.stdout.flush()
        label = summary_line(merged, fallback)
        if label:
            print(label, file=sys.stderr)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    if any(status not in (0, 1) for status in statuses):
        return 2
    return 0 if 0 in statuses else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
