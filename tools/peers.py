#!/usr/bin/env python3
"""Nodes per second of Tarnic beside the chess engines installed from Debian.

Every engine searches the ten benchmark positions (those of signature.py) for
the same time each, single thread, 16 MB hash, no book, no pondering; the
nodes of its last report per position are summed and divided by the summed
search time (from sending "go" to reading the move). UCI engines get
"go movetime"; fairymax and phalanx speak the xboard protocol and get a fixed
time per move ("st"), with their thinking output read for the nodes; they
may stop an iteration early, which the rate allows for.

Usage: tools/peers.py [--engine build/tarnic] [--seconds 3] [--engines stockfish,glaurung,...]
                      [--extra tarnic-pgo=build-pgo/tarnic ...]
Engines not installed are left out of the table.
"""

import argparse
import os
import re
import shlex
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from signature import BENCH_FENS  # noqa: E402

# name, command, protocol
PEERS = [
    ("stockfish", ["/usr/games/stockfish"], "uci"),
    ("glaurung", ["/usr/games/glaurung"], "uci"),
    ("toga2", ["/usr/games/toga2"], "uci"),
    ("ethereal", ["/usr/games/ethereal-chess"], "uci"),
    ("gnuchess", ["/usr/games/gnuchess", "--uci"], "uci"),
    ("fairymax", ["/usr/games/fairymax"], "xboard"),
    ("phalanx", ["/usr/games/phalanx", "-b-", "-l-", "-t", "16384"], "xboard"),  # no book, no learning
]


class Engine:
    def __init__(self, command):
        self.proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, bufsize=1)

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def read_until(self, pattern, timeout):
        """Lines up to and including the first matching pattern."""
        deadline = time.monotonic() + timeout
        lines = []
        while time.monotonic() < deadline:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError(f"engine ended; last lines: {lines[-5:]}")
            lines.append(line.rstrip("\n"))
            if re.search(pattern, line):
                return lines
        raise RuntimeError(f"no {pattern!r} within {timeout} s")

    def close(self):
        try:
            self.send("quit")
            self.proc.wait(timeout=5)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()


def uci_run(command, seconds):
    e = Engine(command)
    try:
        e.send("uci")
        options = e.read_until(r"^uciok", 30)
        offered = {m.group(1) for l in options if (m := re.match(r"option name (.+?) type", l))}
        for name, value in (("Hash", "16"), ("Threads", "1"), ("Ponder", "false"), ("OwnBook", "false")):
            if name in offered:
                e.send(f"setoption name {name} value {value}")
        e.send("isready")
        e.read_until(r"^readyok", 30)
        nodes, elapsed = 0, 0.0
        for fen in BENCH_FENS:
            e.send("ucinewgame")
            e.send(f"position fen {fen}")
            e.send("isready")
            e.read_until(r"^readyok", 30)
            start = time.monotonic()
            e.send(f"go movetime {int(seconds * 1000)}")
            lines = e.read_until(r"^bestmove", seconds + 30)
            elapsed += time.monotonic() - start
            counts = [int(m.group(1)) for l in lines if (m := re.search(r"\bnodes (\d+)", l))]
            nodes += counts[-1] if counts else 0
        return nodes, elapsed
    finally:
        e.close()


def xboard_run(command, seconds):
    # Thinking lines: ply score time(centiseconds) nodes pv.
    thinking = re.compile(r"^\s*\d+\.?\s+-?\d+\s+\d+\s+(\d+)\s")
    e = Engine(command)
    try:
        e.send("xboard")
        e.send("protover 2")
        e.send("ping 1")
        e.read_until(r"^pong 1", 30)
        nodes, elapsed = 0, 0.0
        for fen in BENCH_FENS:
            e.send("new")
            e.send("force")
            e.send("post")
            e.send("easy")
            e.send(f"st {max(1, round(seconds))}")
            e.send(f"setboard {fen}")
            e.send("ping 2")
            e.read_until(r"^pong 2", 30)
            start = time.monotonic()
            e.send("go")
            lines = e.read_until(r"^(move|My move is)\b|^\s*move\s", max(1, round(seconds)) + 30)
            elapsed += time.monotonic() - start
            counts = [int(m.group(1)) for l in lines if (m := thinking.match(l))]
            nodes += counts[-1] if counts else 0
        return nodes, elapsed
    finally:
        e.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", default=os.path.join(os.path.dirname(__file__), "..", "build", "tarnic"))
    parser.add_argument("--seconds", type=float, default=3.0, help="search time per position")
    parser.add_argument("--engines", default=",".join(p[0] for p in PEERS), help="peers to run, by name")
    parser.add_argument("--rounds", type=int, default=1,
                        help="measure every engine this many times, in turn, and keep the median rate")
    parser.add_argument("--extra", action="append", default=[], metavar="NAME=PATH",
                        help="another UCI build to measure in the same run (such as build-pgo/tarnic), "
                             "or a command line that starts one")
    args = parser.parse_args()

    wanted = set(args.engines.split(",")) if args.engines else set()
    runs = [("tarnic", [os.path.abspath(args.engine)], "uci")]
    for extra in args.extra:
        name, _, path = extra.partition("=")
        if not path:
            parser.error(f"--extra wants NAME=PATH, not {extra}")
        # A command line too, such as "wine64 build-windows/tarnic.exe".
        words = shlex.split(path)
        runs.append((name, [os.path.abspath(words[0]) if os.path.exists(words[0]) else words[0], *words[1:]], "uci"))
    runs += [p for p in PEERS if p[0] in wanted and shutil.which(p[1][0])]
    if any(p[2] == "xboard" for p in runs) and args.seconds < 1:
        print("note: xboard engines are given whole seconds per move (st), at least 1", file=sys.stderr)

    # Rounds alternate the engines, so that a slow spell of a shared machine
    # touches them all alike; the median of the rounds is kept.
    rates = {name: [] for name, _, _ in runs}
    totals = {}
    for _ in range(args.rounds):
        for name, command, protocol in runs:
            try:
                nodes, elapsed = (uci_run if protocol == "uci" else xboard_run)(command, args.seconds)
            except RuntimeError as err:
                print(f"{name}: {err}", file=sys.stderr)
                continue
            rates[name].append(nodes / elapsed if elapsed > 0 else 0.0)
            totals[name] = nodes
            print(f"{name}: {nodes} nodes in {elapsed:.1f} s", file=sys.stderr, flush=True)
    results = [(name, totals[name], statistics.median(rates[name])) for name, _, _ in runs if rates[name]]

    tarnic_nps = next((nps for name, _, nps in results if name == "tarnic"), 0.0)
    print(f"{len(BENCH_FENS)} positions, {args.seconds:g} s each, 1 thread, 16 MB hash"
          + (f", median of {args.rounds} rounds (nodes of the last)" if args.rounds > 1 else ""))
    print(f"{'engine':<10} {'nodes':>12} {'nodes/s':>12} {'vs tarnic':>10}")
    for name, nodes, nps in sorted(results, key=lambda r: -r[2]):
        ratio = nps / tarnic_nps if tarnic_nps else 0.0
        print(f"{name:<10} {nodes:>12} {nps:>12,.0f} {ratio:>10.2f}")
    extras = {extra.partition("=")[0] for extra in args.extra}
    peers = [r for r in results if r[0] != "tarnic" and r[0] not in extras]
    if peers and tarnic_nps:
        fastest = max(peers, key=lambda r: r[2])
        print(f"tarnic / fastest peer ({fastest[0]}): {tarnic_nps / fastest[2]:.2f}")
        for name, _, nps in results:
            if name in extras:
                print(f"{name} / fastest peer ({fastest[0]}): {nps / fastest[2]:.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
