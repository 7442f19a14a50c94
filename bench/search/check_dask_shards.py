#!/usr/bin/env python3
"""Checks the Dask recipe of docs/scale.md on a tree written by
make_archive_tree.py: scripts/zrgrep_dask.py, on a LocalCluster of two worker
processes, must print byte for byte the JSON lines of one zrgrep run over the
same archive list, the same summary line, and the same hits as zrgrep over the
tree's folder, for the truth file's pattern with the most hits (one cluster
start-up is most of the time).

Usage: check_dask_shards.py ZRGREP RECIPE OUT_DIR
Exit status 0 when everything agrees, 1 otherwise, 77 (skipped) when no
Python here can import distributed (Debian's python3-distributed).
"""

import json
import os
import subprocess
import sys

SKIPPED = 77


def python_with_dask():
    for candidate in ("/usr/bin/python3", sys.executable):
        probe = subprocess.run([candidate, "-c", "import distributed"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, check=False)
        if probe.returncode == 0:
            return candidate
    return None


def run(command, stdin=None):
    result = subprocess.run(command, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if result.returncode not in (0, 1):
        raise RuntimeError(f"{' '.join(command)} exited {result.returncode}:\n"
                           f"{result.stderr.decode(errors='replace')}")
    return result.stdout, result.stderr.decode("utf-8").strip().splitlines()


def archive_list(tree, path):
    archives = sorted(os.path.join(folder, name) for folder, _, names in os.walk(tree) for name in names)
    with open(path, "w", encoding="utf-8") as out:
        out.writelines(archive + "\n" for archive in archives)
    return archives


def check_pattern(python, zrgrep, recipe, list_file, tree, pattern):
    problems = []
    name = pattern["name"]
    arguments = [*pattern["zrgrep_args"], "--", pattern["pattern"]]
    one_out, one_err = run([zrgrep, "--json", "--archives-from", list_file, *arguments])
    dask_out, dask_err = run([python, recipe, "--list", list_file, "--local-workers", "2", "--shard-size", "3",
                              "--zrgrep", zrgrep, "--", *arguments])
    folder_out, _ = run([zrgrep, "--json", *arguments, tree])
    if not one_out:
        problems.append(f"{name}: one run found nothing; the comparison would prove nothing")
    if dask_out != one_out:
        problems.append(f"{name}: the shards' merged lines differ from one run's "
                        f"({len(dask_out.splitlines())} against {len(one_out.splitlines())} lines)")
    if dask_err[-1:] != one_err[-1:]:
        problems.append(f"{name}: summary {dask_err[-1:]} against one run's {one_err[-1:]}")
    if sorted(dask_out.splitlines()) != sorted(folder_out.splitlines()):
        problems.append(f"{name}: the list's hits are not the folder's hits")
    print(f"{name}: {len(one_out.splitlines())} hits, {one_err[-1] if one_err else ''}", file=sys.stderr)
    return problems


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    zrgrep, recipe, out_dir = sys.argv[1:]
    python = python_with_dask()
    if python is None:
        print("skipped: no python3 here imports distributed (install python3-distributed; "
              "scripts/install-deps.sh does)", file=sys.stderr)
        return SKIPPED
    with open(os.path.join(out_dir, "truth.json"), encoding="utf-8") as source:
        truth = json.load(source)
    tree = os.path.join(out_dir, "tree")
    list_file = os.path.join(out_dir, "archives.txt")
    archives = archive_list(tree, list_file)
    print(f"{len(archives)} archives in shards of 3 on two workers ({python})", file=sys.stderr)
    pattern = max(truth["patterns"], key=lambda p: p["hit_lines"])
    problems = check_pattern(python, zrgrep, recipe, list_file, tree, pattern)
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
