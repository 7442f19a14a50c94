#!/usr/bin/env python3
"""Runs zrgrep over a tree written by make_archive_tree.py and compares what it
reports with the tree's truth file: every listed hit, nothing else, and the
summary counts. The hit list must also be the same, in the same order, with
two archives searched at once, one at a time, and in zrgrep's own process.

Usage: check_truth.py ZRGREP OUT_DIR
Exit status 0 when everything agrees, 1 otherwise.
"""

import json
import os
import re
import subprocess
import sys
from collections import Counter

SUMMARY = re.compile(r"([\d,]+) 行 見つかりました。\s+書庫数： ([\d,]+) 件\s+格納数：([\d,]+) 件")


def run(command):
    env = dict(os.environ, LC_ALL="C.UTF-8")
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, check=False)
    if result.returncode not in (0, 1):
        raise RuntimeError(f"{' '.join(command)} exited {result.returncode}: {result.stderr.decode(errors='replace')}")
    return result.stdout.decode("utf-8")


def json_hits(zrgrep, pattern, tree, extra):
    out = run([zrgrep, "--json", *pattern["zrgrep_args"], *extra, "--", pattern["pattern"], tree])
    hits = []
    for line in out.splitlines():
        record = json.loads(line)
        archive = os.path.relpath(record["archive"], tree)
        hits.append((archive, record["stored"], record["line"]))
    return hits


def summary_counts(zrgrep, pattern, tree):
    out = run([zrgrep, "--count", *pattern["zrgrep_args"], "--", pattern["pattern"], tree]).strip()
    if not out and pattern["hit_lines"] == 0:
        return (0, 0, 0)
    found = SUMMARY.search(out)
    if not found:
        raise RuntimeError(f"unexpected summary line: {out!r}")
    return tuple(int(group.replace(",", "")) for group in found.groups())


def describe(hits, limit=5):
    listed = sorted(hits)[:limit]
    more = f" (+{len(hits) - limit} more)" if len(hits) > limit else ""
    return ", ".join(f"{a}{{{s}}}:{n}" for a, s, n in listed) + more


def check_pattern(zrgrep, pattern, tree):
    """Returns the list of problems found for one pattern."""
    problems = []
    name = pattern["name"]
    if pattern["hit_lines"] == 0 or pattern.get("boundary_decoy_lines", 0) == 0:
        problems.append(f"{name}: the tree holds no hit or no boundary decoy; choose another size or seed")
    expected = Counter((a, s, n) for a, s, n in pattern["hits"])
    workers = json_hits(zrgrep, pattern, tree, ["--workers", "2"])
    found = Counter(workers)
    missing = expected - found
    extra = found - expected
    if missing:
        problems.append(f"{name}: {sum(missing.values())} hits missing: {describe(list(missing.elements()))}")
    if extra:
        problems.append(f"{name}: {sum(extra.values())} hits not in the truth: {describe(list(extra.elements()))}")
    for other in (["--workers", "1"], ["--in-process"]):
        if json_hits(zrgrep, pattern, tree, other) != workers:
            problems.append(f"{name}: the hit list with {' '.join(other)} differs from the one with two workers")
    counts = summary_counts(zrgrep, pattern, tree)
    wanted = (pattern["hit_lines"], pattern["archives"], pattern["files"])
    if counts != wanted:
        problems.append(f"{name}: summary counts {counts}, truth {wanted}")
    return problems


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    zrgrep, out_dir = sys.argv[1], sys.argv[2]
    with open(os.path.join(out_dir, "truth.json"), encoding="utf-8") as source:
        truth = json.load(source)
    tree = os.path.join(out_dir, "tree")
    problems = []
    for pattern in truth["patterns"]:
        problems += check_pattern(zrgrep, pattern, tree)
        print(f"{pattern['name']}: {pattern['hit_lines']} hits expected, "
              f"{pattern.get('boundary_decoy_lines', 0)} boundary decoys", file=sys.stderr)
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
