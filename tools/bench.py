#!/usr/bin/env python3
"""Benchmarks of the current build, each a median of several runs.

  perft rate           "perft 5" from the start position, nodes per second
  perft instructions   callgrind instructions per counted node of "perft 4"
  bench                the ten-position "bench": average depth and nodes per second
  search instructions  callgrind instructions per node of "go depth N" on bench positions
  start-up             launch to "readyok", milliseconds
  peak memory          maximum resident set of a 2-second search, MiB

Usage: tools/bench.py [--engine build/tarnic] [--runs 3] [--skip-bench]
"""

import argparse
import os
import re
import statistics
import subprocess
import tempfile
import time

BENCH_FENS = {
    1: "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    3: "r1b1kb1r/1pqppppp/p4n2/1Bp5/3nP3/2N2N2/PPPP1PPP/R1BQR1K1 w kq - 0 7",
    10: "8/8/8/3K1P2/2p4p/k2p3P/3Br3/1R6 w - - 0 67",
}


def run(engine, *lines):
    return subprocess.run([engine, *lines], capture_output=True, text=True, check=True).stdout


def callgrind_instructions(engine, *lines):
    with tempfile.TemporaryDirectory() as tmp:
        out = subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={tmp}/cg", engine, *lines],
                             capture_output=True, text=True, check=True)
    refs = re.search(r"I\s+refs:\s+([\d,]+)", out.stderr)
    return int(refs.group(1).replace(",", "")), out.stdout


def perft_rate(engine, runs):
    rates = []
    for _ in range(runs):
        out = run(engine, "perft 5")
        rates.append(int(re.search(r"Nodes/sec: (\d+)", out).group(1)))
    return statistics.median(rates)


def perft_instructions(engine):
    base, _ = callgrind_instructions(engine, "perft 0")
    total, out = callgrind_instructions(engine, "perft 4")
    nodes = int(re.search(r"Nodes: (\d+)", out).group(1))
    return (total - base) / nodes


def search_instructions(engine, fen, depth):
    base, _ = callgrind_instructions(engine, "uci", f"position fen {fen}")
    total, out = callgrind_instructions(engine, "uci", f"position fen {fen}",
                                        f"go wtime 100000000 btime 100000000 depth {depth}")
    nodes = int(re.findall(r" nodes (\d+) ", out)[-1])
    return (total - base) / nodes, nodes


def bench(engine):
    proc = subprocess.Popen([engine], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    proc.stdin.write("bench\n")
    proc.stdin.flush()
    out = ""
    for line in proc.stdout:
        out += line
        if line.startswith("  nps:"):
            break
    proc.stdin.write("quit\n")
    proc.stdin.flush()
    proc.wait()
    depth = float(re.search(r"depth: ([\d.]+)", out).group(1))
    nps = int(re.search(r"nps: (\d+)", out).group(1))
    return depth, nps


def startup_ms(engine, runs):
    times = []
    for _ in range(runs):
        start = time.monotonic()
        proc = subprocess.Popen([engine], stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
        proc.stdin.write(b"isready\n")
        out = b""
        while b"readyok" not in out:
            out += proc.stdout.read(1)
        times.append((time.monotonic() - start) * 1000)
        proc.stdin.write(b"quit\n")
        proc.wait()
    return statistics.median(times)


def peak_memory_mib(engine, runs):
    peaks = []
    for _ in range(runs):
        proc = subprocess.Popen([engine, "position startpos", "go wtime 80000 btime 80000"],
                                stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        _, _, usage = os.wait4(proc.pid, 0)
        peaks.append(usage.ru_maxrss / 1024)
    return statistics.median(peaks)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", default=os.path.join(os.path.dirname(__file__), "..", "build", "tarnic"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--depth", type=int, default=8, help="depth of the callgrind searches")
    parser.add_argument("--skip-bench", action="store_true", help="leave out the 50-second bench runs")
    args = parser.parse_args()
    engine = os.path.abspath(args.engine)

    print(f"perft 5 rate:               {perft_rate(engine, args.runs):,.0f} nodes/s (median of {args.runs})")
    print(f"perft 4 instructions:       {perft_instructions(engine):.0f} per counted node (callgrind)")
    for number, fen in BENCH_FENS.items():
        per_node, nodes = search_instructions(engine, fen, args.depth)
        print(f"go depth {args.depth}, bench position {number:2d}: {per_node:.0f} instructions per node "
              f"({nodes} nodes, callgrind)")
    if not args.skip_bench:
        results = [bench(engine) for _ in range(args.runs)]
        depth = statistics.median(r[0] for r in results)
        nps = statistics.median(r[1] for r in results)
        print(f"bench:                      depth {depth:.2f}, {nps:,.0f} nodes/s (median of {args.runs})")
    print(f"start-up to readyok:        {startup_ms(engine, max(5, args.runs)):.1f} ms (median of {max(5, args.runs)})")
    print(f"peak memory, 2 s search:    {peak_memory_mib(engine, args.runs):.1f} MiB (median of {args.runs})")


if __name__ == "__main__":
    main()
