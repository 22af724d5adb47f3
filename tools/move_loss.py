#!/usr/bin/env python3
"""How much Tarnic's moves lose, judged by stockfish at a fixed depth.

Reads games written by tools/play_games.py (their UciMoves and OpeningPlies
tags), scores every position of each game with full-strength stockfish
("go depth N") and reports for Tarnic's moves after the opening: the
number of moves, the average loss in centipawns and the share of moves
losing 300 centipawns or more. Evaluations are clamped to +-1000 cp (a
mate counts as 1000) before the difference is taken, so one blunder in a
won or lost position does not outweigh a game of moves.

Example:
  tools/move_loss.py --depth 10 level1000.pgn level1400.pgn
"""

import argparse
import re
import subprocess
import sys

STOCKFISH = "/usr/games/stockfish"
CLAMP = 1000
BLUNDER = 300


class Stockfish:
    def __init__(self, depth):
        self.depth = depth
        self.proc = subprocess.Popen([STOCKFISH], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                     bufsize=1)
        self.send("uci")
        self.wait("uciok")
        self.send("setoption name Threads value 1")
        self.send("setoption name Hash value 16")

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def wait(self, prefix):
        lines = []
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("stockfish ended")
            lines.append(line.strip())
            if line.startswith(prefix):
                return lines

    def new_game(self):
        self.send("ucinewgame")
        self.send("isready")
        self.wait("readyok")

    def score(self, moves):
        """The score of the position after moves, for the side to move, clamped."""
        self.send("position startpos moves " + " ".join(moves) if moves else "position startpos")
        self.send(f"go depth {self.depth}")
        score = None
        for line in self.wait("bestmove"):
            m = re.search(r" score (cp|mate) (-?\d+)", line)
            if m and " upperbound" not in line and " lowerbound" not in line:
                value = int(m.group(2))
                if m.group(1) == "mate":
                    score = CLAMP if value > 0 else -CLAMP
                else:
                    score = max(-CLAMP, min(CLAMP, value))
        if score is None:  # no legal move: mated or stalemate; stockfish says which
            return 0
        return score

    def close(self):
        self.send("quit")
        self.proc.wait()


def games_of(path):
    """(tarnic is white, opening plies, moves) of each game in the file."""
    text = open(path).read()
    for block in text.split("[Event ")[1:]:
        tags = dict(re.findall(r'^\[(\w+) "(.*)"\]$', block, re.M))
        if "UciMoves" not in tags:
            continue
        yield tags.get("White") == "Tarnic", int(tags.get("OpeningPlies", "0")), tags["UciMoves"].split()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("pgn", nargs="+")
    parser.add_argument("--depth", type=int, default=10)
    args = parser.parse_args()
    engine = Stockfish(args.depth)
    try:
        for path in args.pgn:
            losses = []
            for tarnic_white, opening, moves in games_of(path):
                engine.new_game()
                scores = [engine.score(moves[:i]) for i in range(len(moves) + 1)]
                for i in range(opening, len(moves)):
                    if (i % 2 == 0) != tarnic_white:
                        continue
                    # The mover's view before and after its move.
                    losses.append(max(0, scores[i] + scores[i + 1]))
            if not losses:
                print(f"{path}: no moves")
                continue
            average = sum(losses) / len(losses)
            blunders = sum(1 for x in losses if x >= BLUNDER) / len(losses)
            print(f"{path}: {len(losses)} moves, average loss {average:.0f} cp, "
                  f"{100 * blunders:.1f} % losing >= {BLUNDER} cp (stockfish depth {args.depth})", flush=True)
    finally:
        engine.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
