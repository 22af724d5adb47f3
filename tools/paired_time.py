#!/usr/bin/env python3
"""Time per node of builds run in turn on fixed work.

Each round runs every engine once, in turn (the order reversed every other
round, so that neither always follows the other), on the same work: "go
depth N" of the given benchmark positions, each in a fresh process, with the
given table size. The time is the processes' user CPU seconds (less disturbed
by other programs on a shared machine than the clock), per node. Printed per
engine: the minimum and the median over the rounds, and for each engine after
the first the median of its per-round ratio to the first.

Usage: tools/paired_time.py --engine a=path[:MB] --engine b=path[:MB] [--positions 1,3] [--depth 10]
                            [--hash 16] [--rounds 5]
An engine's own table size (":MB") takes the place of --hash, so that one
build can be timed against itself with two sizes.
"""

import argparse
import os
import re
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from signature import BENCH_FENS  # noqa: E402


def run_work(engine, fens, depth, hash_mb):
    seconds = nodes = 0
    for fen in fens:
        before = os.times()
        proc = subprocess.run([engine, "uci", f"setoption name Hash value {hash_mb}", f"position fen {fen}",
                               f"go depth {depth}"], capture_output=True, text=True, check=True)
        after = os.times()
        seconds += after.children_user - before.children_user
        nodes += int(re.findall(r" nodes (\d+) ", proc.stdout)[-1])
    return seconds, nodes


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", action="append", required=True, help="name=path[:MB] (repeatable)")
    parser.add_argument("--positions", default="1,3")
    parser.add_argument("--depth", type=int, default=10)
    parser.add_argument("--hash", type=int, default=16, help="table size, MB")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    engines, hashes = [], {}
    for entry in args.engine:
        name, _, rest = entry.partition("=")
        path, _, mb = rest.partition(":")
        engines.append((name, os.path.abspath(path)))
        hashes[name] = int(mb) if mb else args.hash
    fens = [BENCH_FENS[int(p) - 1] for p in args.positions.split(",")]

    times = {name: [] for name, _ in engines}  # nanoseconds per node, per round
    for r in range(args.rounds):
        order = engines if r % 2 == 0 else engines[::-1]
        for name, path in order:
            seconds, nodes = run_work(path, fens, args.depth, hashes[name])
            times[name].append(seconds * 1e9 / nodes)
        print(f"round {r + 1}: " + ", ".join(f"{n} {times[n][-1]:.1f}" for n, _ in engines) + " ns/node",
              flush=True)

    first = engines[0][0]
    print(f"positions {args.positions}, go depth {args.depth}, {args.rounds} rounds, user time per node; Hash "
          + ", ".join(f"{n} {hashes[n]} MB" for n, _ in engines))
    for name, _ in engines:
        line = f"{name:14} min {min(times[name]):7.1f} ns  median {statistics.median(times[name]):7.1f} ns"
        if name != first:
            ratios = [t / f for t, f in zip(times[name], times[first])]
            line += f"  median ratio to {first} {statistics.median(ratios):.3f}"
        print(line)


if __name__ == "__main__":
    main()
