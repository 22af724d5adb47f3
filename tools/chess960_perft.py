#!/usr/bin/env python3
"""Writes tests/movegen/chess960_perft.txt: Chess960 positions with their perft
counts (leaf nodes) from Debian's stockfish, for the engine's perft test.

Positions: random Chess960 start positions, positions a few random moves
later (some castling rights lost, some castlings played), and set-ups with
open back ranks that put castling to the test: king and rook side by side,
king on the b or g file, rooks in the corners and inside, castlings where
the king or the rook does not move, a rook standing on the king's target,
and a rook that shields the king's target. Every castling field is given
either as stockfish writes it (rook files) or, where that names the same
rooks, as KQkq.

Usage: tools/chess960_perft.py [--stockfish /usr/games/stockfish] [--out FILE]
"""

import argparse
import os
import random
import subprocess

HEADER = ("# Made with Debian's stockfish by tools/chess960_perft.py: setoption name UCI_Chess960 value true, "
          "position fen F, go perft N; each line: FEN ; depth ; leaf count\n")

# Back ranks (white's, rank 1 from a to h) and the rest of a position, with
# the castling field stockfish is given; black mirrors white unless a
# black rank is given.
SPECIAL = [
    # king and rooks side by side, king on the b file
    ("RKR5", None, "KQkq"),
    # king on the g file, its rook beside it: the king does not move
    ("R5KR", None, "KQkq"),
    # king on c1 with the rook on a1: queen side, the king does not move
    ("R1K4R", None, "KQkq"),
    # king on d1, rook on c1: king and rook swap squares
    ("2RK3R", None, "KQkq"),
    # king on f1, rook on g1: the king lands on the rook's square
    ("R4KR1", None, "KQkq"),
    # rook on d1 beside king e1 (queen side): the rook does not move
    ("3RK2R", None, "KQkq"),
    # king on g1 between rooks on b1 and h1
    ("1R4KR", None, "KQkq"),
    # inner rooks with outer ones: the field names the inner files
    ("RR2K1RR", None, "GBgb"),
    ("RR2K1RR", None, "HAha"),
    # standard squares, read in the Chess960 form
    ("R3K2R", None, "KQkq"),
    # king on b1 with the king-side rook on c1 (the rook on h1 holds no right)
    ("1KR4R", None, "Cc"),
    # white and black differ
    ("R2K3R", "1R4KR", "KQkq"),
    ("1RK2R2", "R5KR", "KQkq"),
]

# Positions where an enemy piece matters to castling (full FEN, castling as written).
SPECIAL_FENS = [
    # a black rook on a1 behind the white rook on b1: O-O-O would leave c1 attacked
    "4k3/8/8/8/8/8/8/rR1K3R w KQ - 0 1",
    # the same with a queen, and a king-side rook shielding nothing
    "4k3/8/8/8/8/8/8/qR1K2R1 w KQ - 0 1",
    # a bishop attacks a square the king crosses
    "4k3/8/8/8/8/7b/8/1R2K2R w KQ - 0 1",
    # a knight attacks the king's target square only
    "4k3/8/8/8/8/7n/8/R1K4R w KQ - 0 1",
    # the rook crosses an attacked square: allowed
    "4k3/8/8/8/8/8/b7/R3K2R w KQ - 0 1",
    # black castles; white pieces watch
    "r1k3r1/8/8/2B5/8/8/8/4K2R b Kkq - 0 1",
    "1r3kr1/8/3N4/8/8/8/8/4K3 b kq - 0 1",
    # king in check: no castling
    "4k3/8/8/8/8/8/8/1R1K1rR1 w KQ - 0 1",
]


def random_start(rng):
    """A random Chess960 back rank (white, a to h)."""
    rank = [None] * 8
    rank[rng.choice(range(0, 8, 2))] = "B"
    rank[rng.choice(range(1, 8, 2))] = "B"
    for piece in ("Q", "N", "N"):
        free = [i for i in range(8) if rank[i] is None]
        rank[rng.choice(free)] = piece
    free = [i for i in range(8) if rank[i] is None]
    for i, piece in zip(free, "RKR"):
        rank[i] = piece
    return "".join(rank)


def start_fen(white, black=None, castling="KQkq", pawns=True):
    black = (black or white).lower()
    pawn_rows = "pppppppp/8/8/8/8/PPPPPPPP" if pawns else "8/8/8/8/8/8"
    return f"{pad(black)}/{pawn_rows}/{pad(white)} w {castling} - 0 1"


def pad(rank):
    """FEN text of a back rank written with digits for runs of empty squares."""
    out, empty = "", 0
    for c in rank:
        if c.isdigit():
            empty += int(c)
            continue
        if empty:
            out += str(empty)
            empty = 0
        out += c
    total = sum(int(c) if c.isdigit() else 1 for c in rank)
    empty += 8 - total
    return out + (str(empty) if empty else "")


class Stockfish:
    def __init__(self, path):
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.read_until("uciok")
        self.send("setoption name UCI_Chess960 value true")

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def read_until(self, prefix):
        lines = []
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("stockfish ended")
            lines.append(line.rstrip("\n"))
            if line.startswith(prefix):
                return lines

    def perft(self, fen, depth, moves=()):
        self.send(f"position fen {fen}" + (" moves " + " ".join(moves) if moves else ""))
        self.send(f"go perft {depth}")
        lines = self.read_until("Nodes searched")
        counts = {l.split(":")[0]: int(l.split(":")[1]) for l in lines if ":" in l and "Nodes" not in l}
        return int(lines[-1].split(":")[1]), counts

    def fen(self, fen, moves=()):
        self.send(f"position fen {fen}" + (" moves " + " ".join(moves) if moves else ""))
        self.send("d")
        return next(l for l in self.read_until("Checkers") if l.startswith("Fen:"))[5:].strip()


def as_kqkq(fen, rng):
    """The same position with file-letter rights that name the outermost rook written as KQkq, at random."""
    fields = fen.split()
    ranks = fields[0].split("/")
    back = {"w": expand(ranks[7]), "b": expand(ranks[0])}
    out = ""
    for c in fields[2]:
        colour = "w" if c.isupper() else "b"
        rank = back[colour]
        king = rank.index("K" if colour == "w" else "k")
        rook = "R" if colour == "w" else "r"
        f = ord(c.lower()) - ord("a") if c != "-" else -1
        if f > king and all(rank[i] != rook for i in range(f + 1, 8)) and rng.random() < 0.5:
            out += "K" if colour == "w" else "k"
        elif 0 <= f < king and all(rank[i] != rook for i in range(0, f)) and rng.random() < 0.5:
            out += "Q" if colour == "w" else "q"
        else:
            out += c
    fields[2] = out
    return " ".join(fields)


def expand(rank):
    return "".join("." * int(c) if c.isdigit() else c for c in rank)


def random_walk(sf, fen, plies, rng):
    moves = []
    for _ in range(plies):
        _, counts = sf.perft(fen, 1, moves)
        if not counts:
            break
        moves.append(rng.choice(sorted(counts)))
    return sf.fen(fen, moves)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--stockfish", default="/usr/games/stockfish")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "..", "tests", "movegen",
                                                      "chess960_perft.txt"))
    parser.add_argument("--seed", type=int, default=960)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    sf = Stockfish(args.stockfish)

    fens = []  # (fen, depths)
    for i in range(30):  # start positions
        fens.append((sf.fen(start_fen(random_start(rng))), (4, 6) if i < 2 else (4,)))
    for i in range(36):  # a few random moves on
        fens.append((random_walk(sf, start_fen(random_start(rng)), rng.randint(4, 18), rng), (4,)))
    for i in range(12):  # open back ranks: castling early
        fens.append((random_walk(sf, start_fen(random_start(rng), pawns=False), rng.randint(0, 6), rng), (4,)))
    for i, (white, black, castling) in enumerate(SPECIAL):
        fen = sf.fen(start_fen(white, black, castling))
        fens.append((fen, (4, 6) if i < 2 else (4,)))
        fens.append((random_walk(sf, fen, rng.randint(2, 8), rng), (4,)))
    for i, fen in enumerate(SPECIAL_FENS):
        fens.append((sf.fen(fen), (4, 6) if i < 7 else (4,)))

    lines = []
    for fen, depths in fens:
        fen = as_kqkq(fen, rng)
        for depth in depths:
            nodes, _ = sf.perft(fen, depth)
            lines.append(f"{fen} ; {depth} ; {nodes}\n")
    with open(args.out, "w") as f:
        f.write(HEADER)
        f.writelines(lines)
    print(f"{len(lines)} counts written to {args.out}")


if __name__ == "__main__":
    main()
