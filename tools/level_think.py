#!/usr/bin/env python3
"""How long each strength level thinks on a given clock.

For every level (0: full strength) the ten benchmark positions are searched
with "go wtime T btime T winc I binc I" in one engine process, and the
wall time from the go to the answer is measured; prints the median and
the longest think per level.

Example:
  tools/level_think.py --time 60 --inc 0.6 --levels 0,600,1000,1400,1500,1600,1800,1900
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from signature import BENCH_FENS  # noqa: E402


def thinks(engine, level, base_ms, inc_ms):
    proc = subprocess.Popen([engine], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)

    def send(line):
        proc.stdin.write(line + "\n")
        proc.stdin.flush()

    def wait(prefix):
        while True:
            line = proc.stdout.readline()
            if not line:
                raise RuntimeError("the engine ended")
            if line.startswith(prefix):
                return line

    send("uci")
    wait("uciok")
    if level:
        send("setoption name UCI_LimitStrength value true")
        send(f"setoption name UCI_Elo value {level}")
    times = []
    for fen in BENCH_FENS:
        send(f"position fen {fen}")
        send("isready")
        wait("readyok")
        started = time.monotonic()
        send(f"go wtime {base_ms} btime {base_ms} winc {inc_ms} binc {inc_ms}")
        wait("bestmove")
        times.append(time.monotonic() - started)
    send("quit")
    proc.wait()
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", default=os.path.join(os.path.dirname(__file__), "..", "build", "tarnic"))
    parser.add_argument("--time", type=float, default=60.0, help="clock of each side, seconds")
    parser.add_argument("--inc", type=float, default=0.6, help="increment, seconds")
    parser.add_argument("--levels", default="0,600,1000,1400,1500,1600,1800,1900")
    args = parser.parse_args()
    for level in [int(x) for x in args.levels.split(",")]:
        t = thinks(args.engine, level, int(args.time * 1000), int(args.inc * 1000))
        name = f"level {level}" if level else "full strength"
        print(f"{name:14s} clock {args.time:g} s + {args.inc:g} s: median {statistics.median(t):.3f} s, "
              f"longest {max(t):.3f} s ({len(t)} positions)", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
