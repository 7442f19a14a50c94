#!/usr/bin/env python3
"""Nested archives searched by zrgrep give the hits that unpacking every level
with Debian's own tools (7zz, tar, gunzip) and reading the files gives.

usage: nested_differential.py ZRGREP FIXTURE_FOLDER
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

WORD = b"needle"
TARS = (".tar.gz", ".tgz", ".tar.bz2", ".tbz", ".tar.xz", ".txz", ".tar")
DOCUMENTS = (".docx", ".docm", ".xlsx", ".xlsm", ".pptx", ".odt", ".ods", ".odp")


def unpack(path, into):
    """Unpacks one archive level; False when the tools see no archive."""
    os.makedirs(into)
    name = path.lower()
    if name.endswith(TARS):
        return subprocess.run(["tar", "-xf", path, "-C", into], capture_output=True).returncode == 0
    if name.endswith(".gz"):
        target = os.path.join(into, os.path.basename(path)[:-3])
        with open(target, "wb") as out:
            return subprocess.run(["gzip", "-dc", path], stdout=out, stderr=subprocess.DEVNULL).returncode == 0
    if name.endswith(DOCUMENTS):
        return False  # read as a document (or as bytes), never walked
    listed = subprocess.run(["7zz", "l", path], capture_output=True)
    if listed.returncode != 0:
        return False
    return subprocess.run(["7zz", "x", "-y", "-bd", "-o" + into, path], capture_output=True).returncode == 0


def reference_hits(path, chain, work, depth, hits):
    """Adds 'archive{inner}...{stored}:line' for every line holding the word."""
    into = os.path.join(work, str(len(os.listdir(work))))
    if depth > 0 and not unpack(path, into):
        return False
    if depth == 0:
        unpack(path, into)
    for folder, _, files in os.walk(into):
        for f in sorted(files):
            full = os.path.join(folder, f)
            stored = os.path.relpath(full, into)
            if reference_hits(full, chain + [stored], work, depth + 1, hits):
                continue
            with open(full, "rb") as data:
                for number, line in enumerate(data.read().split(b"\n"), 1):
                    if WORD in line:
                        hits.add("".join("{%s}" % c for c in chain + [stored]) + ":%d" % number)
    return True


def main():
    zrgrep, fixtures = sys.argv[1], os.path.abspath(sys.argv[2])
    extra = sys.argv[3:]  # more zrgrep options
    if not all(shutil.which(tool) for tool in ("7zz", "tar", "gzip")):
        print("7zz, tar or gzip missing: skipped")
        return 77
    expected, found = set(), set()
    with tempfile.TemporaryDirectory() as work:
        for name in sorted(os.listdir(fixtures)):
            path = os.path.join(fixtures, name)
            if name.endswith((".sh", ".py")) or not os.path.isfile(path):
                continue
            per_archive = set()
            reference_hits(path, [], work, 0, per_archive)
            expected |= {path + h for h in per_archive}
        env = dict(os.environ, XDG_CACHE_HOME=os.path.join(work, "cache"))
        run = subprocess.run([zrgrep, "--no-cache", *extra, "needle", fixtures], capture_output=True, env=env)
    for line in run.stdout.decode("utf-8", "replace").splitlines():
        hit = re.match(r"^(/.*\}:\d+):", line)
        if hit:
            found.add(hit.group(1))
    if expected != found:
        print("only from the tools:", sorted(expected - found))
        print("only from zrgrep:", sorted(found - expected))
        return 1
    print(len(found), "hits agree")
    return 0


if __name__ == "__main__":
    sys.exit(main())
