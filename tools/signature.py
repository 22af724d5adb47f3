#!/usr/bin/env python3
"""Node-count signature: fixed-depth searches of the ten benchmark positions.

Each position is searched from a fresh process (empty hash table, killers and
history), so the node counts and best moves depend on the search alone. Any
change meant to keep behaviour must keep every line of the output.

The engine may be a command line, such as "wine build-windows/tarnic.exe".

Usage: tools/signature.py [--engine build/tarnic] [--depth 8] [--positions 1,3,10]
                          [--check tools/signature.txt]
With --check the output is compared with the recorded lines of the same depth.
"""

import argparse
import re
import shlex
import subprocess
import sys

BENCH_FENS = [
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqk1nr/pp4b1/2p1p1B1/3pP2p/3P4/8/PPP2PPP/RNBQK2R b KQkq - 0 8",
    "r1b1kb1r/1pqppppp/p4n2/1Bp5/3nP3/2N2N2/PPPP1PPP/R1BQR1K1 w kq - 0 7",
    "rnbqkb1r/ppp2p1p/3p1n2/8/4PpNP/8/PPPP2P1/RNBQKB1R w KQkq - 0 7",
    "r3k2r/2q1bppp/p1b1pn2/1p2P3/8/P1N2B2/1PP3PP/R1BQ1R1K b kq - 0 14",
    "1n1b1kr1/r4p1p/pp1q4/2pNN2Q/8/6P1/PPP2PBP/2KR4 w - - 0 19",
    "3rr1k1/pp2bppp/1qp1n1b1/3n4/2BP4/P4NNP/1P1B1PP1/2RQR1K1 w - - 0 19",
    "4rbk1/2pb1qpp/p2p1p2/3P4/n1NQNB2/RP1P1P1P/6P1/6K1 b - - 0 26",
    "2rr2k1/pp2Bnq1/4R1p1/5p1p/B2P1P2/2P5/P5P1/4Q1K1 w - - 0 33",
    "8/8/8/3K1P2/2p4p/k2p3P/3Br3/1R6 w - - 0 67",
]


def signature_line(engine, number, depth):
    fen = BENCH_FENS[number - 1]
    # A clock far beyond the search's length: only the depth ends it.
    out = subprocess.run([*shlex.split(engine), "uci", f"position fen {fen}",
                          f"go wtime 100000000 btime 100000000 depth {depth}"],
                         capture_output=True, text=True, check=True, timeout=600).stdout.replace("\r\n", "\n")
    infos = re.findall(r"^info depth \d+ (?:seldepth \d+ )?score (\w+ -?\d+) (?:lowerbound |upperbound )?time \d+ "
                       r"nodes (\d+) pv (.*)$", out, re.M)
    best = re.search(r"^bestmove (\S+)", out, re.M)
    if not infos or not best:
        raise RuntimeError(f"no search result for position {number}:\n{out}")
    score, nodes, pv = infos[-1]
    return f"depth {depth} position {number:2d} nodes {nodes:>9} score {score} bestmove {best.group(1)} pv {pv.strip()}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--engine", default="build/tarnic")
    parser.add_argument("--depth", type=int, default=8)
    parser.add_argument("--positions", default="1,2,3,4,5,6,7,8,9,10")
    parser.add_argument("--check", help="file of recorded lines to compare with")
    args = parser.parse_args()
    numbers = [int(n) for n in args.positions.split(",")]
    lines = [signature_line(args.engine, n, args.depth) for n in numbers]
    if not args.check:
        print("\n".join(lines))
        return 0
    with open(args.check) as f:
        recorded = {" ".join(l.split()[:4]): l.rstrip("\n") for l in f if l.startswith("depth")}
    failures = 0
    for line in lines:
        key = " ".join(line.split()[:4])
        want = recorded.get(key)
        if want is None:
            print(f"not recorded: {line}")
            failures += 1
        elif " ".join(want.split()) != " ".join(line.split()):
            print(f"changed:\n  recorded {want}\n  now      {line}")
            failures += 1
    print(f"signature: {len(lines) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
