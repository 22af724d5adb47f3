#!/usr/bin/env python3
"""Modelled cycles per search node, for machines without hardware counters.

Each engine searches "go depth N" of benchmark positions under cachegrind with
its cache and branch simulation; a run that only sets the position up is taken
off, and what remains is divided by the search's nodes:

  instructions   I refs
  D1 misses      first-level data misses, reads and writes
  LL misses      last-level data misses, reads and writes
  mispredicts    conditional and indirect branches mispredicted
  cycles         instructions + 10 * D1 + 100 * LL + 15 * mispredicts

The caches are fixed (below), not taken from the processor that runs the
model, so that figures from different machines compare.

Usage: tools/cycle_model.py [--engine name=path ...] [--positions 1,3,10] [--depth 8] [--hash 4]
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from signature import BENCH_FENS  # noqa: E402

# The weights of the model, in cycles.
CYCLES_PER_D1_MISS = 10
CYCLES_PER_LL_MISS = 100
CYCLES_PER_MISPREDICT = 15
# 32 KB 8-way first level, 32 MB 16-way last level, 64-byte lines.
CACHES = ["--I1=32768,8,64", "--D1=32768,8,64", "--LL=33554432,16,64"]

FIELDS = {
    "instructions": r"I\s+refs:\s+([\d,]+)",
    "d1": r"D1\s+misses:\s+([\d,]+)",
    "ll": r"LLd misses:\s+([\d,]+)",
    "mispredicts": r"Mispredicts:\s+([\d,]+)",
}


def cachegrind(engine, lines):
    with tempfile.TemporaryDirectory() as tmp:
        out = subprocess.run(["valgrind", "--tool=cachegrind", "--cache-sim=yes", "--branch-sim=yes", *CACHES,
                              f"--cachegrind-out-file={tmp}/cg", engine, *lines],
                             capture_output=True, text=True, check=True)
    counts = {}
    for name, pattern in FIELDS.items():
        found = re.search(pattern, out.stderr)
        if found is None:
            sys.exit(f"cycle_model: no '{name}' in cachegrind's summary:\n{out.stderr}")
        counts[name] = int(found.group(1).replace(",", ""))
    return counts, out.stdout


def per_node(engine, fen, depth, hash_mb):
    setup = ["uci", f"setoption name Hash value {hash_mb}", f"position fen {fen}"]
    base, _ = cachegrind(engine, setup)
    total, out = cachegrind(engine, setup + [f"go depth {depth}"])
    nodes = int(re.findall(r" nodes (\d+) ", out)[-1])
    figures = {name: (total[name] - base[name]) / nodes for name in FIELDS}
    figures["cycles"] = (figures["instructions"] + CYCLES_PER_D1_MISS * figures["d1"] +
                         CYCLES_PER_LL_MISS * figures["ll"] + CYCLES_PER_MISPREDICT * figures["mispredicts"])
    return figures, nodes


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", action="append", help="name=path (repeatable); default tarnic=build/tarnic")
    parser.add_argument("--positions", default="1,3,10")
    parser.add_argument("--depth", type=int, default=8)
    parser.add_argument("--hash", type=int, default=4, help="table size, MB (4: the start-up table)")
    args = parser.parse_args()
    engines = []
    for entry in args.engine or ["tarnic=build/tarnic"]:
        name, _, path = entry.partition("=")
        engines.append((name, os.path.abspath(path or name)))

    print(f"go depth {args.depth}, Hash {args.hash} MB, per node; cycles = instructions + "
          f"{CYCLES_PER_D1_MISS} x D1 + {CYCLES_PER_LL_MISS} x LL + {CYCLES_PER_MISPREDICT} x mispredicts")
    print(f"{'engine':14} {'pos':>3} {'nodes':>8} {'instr':>7} {'D1':>6} {'LL':>6} {'mispr':>6} {'cycles':>7}")
    for number in (int(p) for p in args.positions.split(",")):
        for name, path in engines:
            f, nodes = per_node(path, BENCH_FENS[number - 1], args.depth, args.hash)
            print(f"{name:14} {number:3d} {nodes:8d} {f['instructions']:7.0f} {f['d1']:6.2f} {f['ll']:6.3f} "
                  f"{f['mispredicts']:6.2f} {f['cycles']:7.0f}", flush=True)


if __name__ == "__main__":
    main()
