#!/usr/bin/env python3
"""A zrgrep killed with SIGKILL while it writes cache packs never makes a
later run wrong: after each kill, a run and a run from the cache give the
uncached run's output byte for byte.

usage: cache_kill_test.py ZRGREP WORK_FOLDER
"""
import gzip
import io
import os
import random
import shutil
import signal
import subprocess
import sys
import tarfile
import time
import zipfile


def make_tree(tree):
    rng = random.Random(7)
    os.makedirs(tree)
    words = ["alpha", "beta", "gamma", "見積", "needle", "delta"]

    def text(lines):
        return "".join(" ".join(rng.choice(words) for _ in range(6)) + "\n" for _ in range(lines))

    for n in range(6):
        with zipfile.ZipFile(os.path.join(tree, "z%d.zip" % n), "w", zipfile.ZIP_DEFLATED) as z:
            for k in range(4):
                z.writestr("d/f%d.txt" % k, text(3000))
        buf = io.BytesIO()
        with tarfile.open(fileobj=buf, mode="w") as t:
            for k in range(3):
                data = text(3000).encode()
                info = tarfile.TarInfo("t/f%d.txt" % k)
                info.size = len(data)
                t.addfile(info, io.BytesIO(data))
        with open(os.path.join(tree, "t%d.tar.gz" % n), "wb") as f:
            f.write(gzip.compress(buf.getvalue(), 1))


def run(zrgrep, tree, env, extra=()):
    done = subprocess.run([zrgrep, *extra, "needle", tree], capture_output=True, env=env)
    return done.returncode, done.stdout


def main():
    zrgrep, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    tree = os.path.join(work, "tree")
    make_tree(tree)
    env = dict(os.environ, XDG_CACHE_HOME=os.path.join(work, "cache"), XDG_CONFIG_HOME=os.path.join(work, "config"))
    expected = run(zrgrep, tree, env, ["--no-cache"])
    if expected[0] != 0:
        print("the uncached run failed:", expected[0])
        return 1
    # How long a run that fills the cache takes, to spread the kills over it.
    start = time.monotonic()
    run(zrgrep, tree, env)
    span = time.monotonic() - start
    rng = random.Random(11)
    for round_ in range(6):
        shutil.rmtree(os.path.join(work, "cache"), ignore_errors=True)
        victim = subprocess.Popen([zrgrep, "needle", tree], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, env=env, start_new_session=True)
        delay = rng.uniform(0.05, 0.95) * span
        time.sleep(delay)
        try:
            os.killpg(victim.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        victim.wait()
        cache = os.path.join(work, "cache", "zurivo")
        left = sorted(os.listdir(cache)) if os.path.isdir(cache) else []
        print("round %d: killed after %.2f s, %d files left in the cache" % (round_, delay, len(left)))
        for label in ("after the kill", "from the cache"):
            got = run(zrgrep, tree, env)
            if got != expected:
                print("round %d, %s: output differs" % (round_, label))
                return 1
    print("6 kills, every later run right")
    return 0


if __name__ == "__main__":
    sys.exit(main())
