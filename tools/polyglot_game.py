#!/usr/bin/env python3
"""A pondering game under polyglot, the UCI adapter of xboard, without a display.

The script speaks the xboard protocol to polyglot, which runs Tarnic over
UCI with pondering on ("hard"). Tarnic plays white; black plays in turn
the move Tarnic ponders on (from polyglot's hint: a ponder hit) and the
last of stockfish's legal moves (mostly a miss, where
polyglot sends "stop", the new position and "go" at once). Every Tarnic move
is checked against stockfish's legal moves, and polyglot's log must show no
line that Tarnic failed to run.

Exit status 0 when all is well; 77 when polyglot or stockfish is missing
(outside CI, where CI=true makes that a failure); 1 otherwise.

Usage: tools/polyglot_game.py [--engine build/tarnic] [--plies 40] [--seconds 20]
"""

import argparse
import os
import select
import subprocess
import sys
import tempfile
import time

POLYGLOT = "/usr/games/polyglot"
STOCKFISH = "/usr/games/stockfish"
SKIPPED = 77


class Pipe:
    def __init__(self, command):
        self.proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, bufsize=0)
        self.buffer = b""

    def send(self, line):
        self.proc.stdin.write((line + "\n").encode())

    def read_until(self, predicate, seconds):
        """Lines up to and including the first one the predicate accepts."""
        deadline = time.monotonic() + seconds
        lines = []
        while True:
            while b"\n" in self.buffer:
                raw, self.buffer = self.buffer.split(b"\n", 1)
                line = raw.decode(errors="replace").rstrip("\r")
                lines.append(line)
                if predicate(line):
                    return lines
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"no answer in {seconds} s; last lines: {lines[-5:]}")
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if ready:
                chunk = os.read(self.proc.stdout.fileno(), 65536)
                if not chunk:
                    raise EOFError(f"process ended; last lines: {lines[-5:]}")
                self.buffer += chunk

    def close(self, quit_line="quit"):
        try:
            self.send(quit_line)
            self.proc.wait(timeout=5)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()


def legal_moves(referee, moves):
    referee.send("position startpos moves " + " ".join(moves))
    referee.send("go perft 1")
    lines = referee.read_until(lambda l: l.startswith("Nodes searched"), 10)
    return sorted(l.split(":")[0] for l in lines if ":" in l and not l.startswith("Nodes"))


def reference_move(referee, moves):
    referee.send("position startpos moves " + " ".join(moves))
    referee.send("go depth 6")
    return referee.read_until(lambda l: l.startswith("bestmove"), 30)[-1].split()[1]


def hinted_move(adapter, legal):
    """The move Tarnic ponders on, from polyglot's "Hint: <SAN>", when its target names one legal move."""
    adapter.send("hint")
    try:
        line = adapter.read_until(lambda l: l.startswith("Hint:"), 1)[-1]
    except TimeoutError:
        return None  # no ponder move after the last answer: polyglot has no hint to give
    san = line.split()[1].rstrip("+#") if len(line.split()) > 1 else ""
    if san.startswith("O-O"):
        return None
    target = san.split("=")[0][-2:]
    matches = [m for m in legal if m[2:4] == target and len(m) == 4]
    return matches[0] if len(matches) == 1 else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--engine", default=os.path.join(os.path.dirname(__file__), "..", "build", "tarnic"))
    parser.add_argument("--plies", type=int, default=40)
    parser.add_argument("--seconds", type=int, default=20, help="game time per side")
    args = parser.parse_args()
    missing = [p for p in (POLYGLOT, STOCKFISH) if not os.access(p, os.X_OK)]
    if missing:
        print(f"not installed: {' '.join(missing)} (Debian packages polyglot, stockfish)")
        if os.environ.get("CI") == "true":
            print("0 passed, 1 failed")
            return 1
        return SKIPPED

    log = tempfile.NamedTemporaryFile(prefix="polyglot", suffix=".log", delete=False).name
    adapter = Pipe([POLYGLOT, "-noini", "-ec", os.path.abspath(args.engine), "-log", "true", "-lf", log])
    referee = Pipe([STOCKFISH])
    referee.send("uci")
    referee.read_until(lambda l: l == "uciok", 10)
    moves, faults = [], []
    try:
        adapter.send("xboard")
        adapter.send("protover 2")
        adapter.read_until(lambda l: l == "feature done=1", 10)
        adapter.send("accepted usermove")
        centis = args.seconds * 100
        for line in ("new", "hard", f"level 0 0:{args.seconds:02d} 0", f"time {centis}", f"otim {centis}", "go"):
            adapter.send(line)
        while len(moves) < args.plies:
            legal = legal_moves(referee, moves)
            if not legal:
                break
            if len(moves) % 2 == 0:
                answer = adapter.read_until(lambda l: l.startswith("move ") or l.startswith("resign")
                                            or l.startswith("1-0") or l.startswith("0-1"), args.seconds + 5)[-1]
                if not answer.startswith("move "):
                    break
                move = answer.split()[1]
                if move not in legal:
                    faults.append(f"ply {len(moves) + 1}: illegal move {move}")
                    break
            else:
                move = legal[-1] if len(moves) % 4 == 3 else hinted_move(adapter, legal) or reference_move(referee, moves)
                adapter.send(f"usermove {move}")
            moves.append(move)
    except (TimeoutError, EOFError) as exc:
        faults.append(f"ply {len(moves) + 1}: {exc}")
    finally:
        adapter.close()
        referee.close()
    with open(log, errors="replace") as f:
        text = f.read()
    os.unlink(log)
    lost = [l for l in text.splitlines() if "Unexpected command" in l]
    faults += [f"lost line: {l}" for l in lost[:5]]
    hits, misses = text.count("PONDER -> THINK (*** HIT ***)"), text.count("PONDER -> THINK (miss)")
    print(f"{len(moves)} plies: {' '.join(moves)}")
    print(f"ponder hits {hits}, misses {misses}")
    if hits + misses == 0:
        faults.append("polyglot never let Tarnic ponder")
    for fault in faults:
        print("FAULT", fault)
    print(f"{1 if not faults else 0} passed, {1 if faults else 0} failed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
