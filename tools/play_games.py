#!/usr/bin/env python3
"""Plays Tarnic against UCI opponents through pipes and checks every move.

Each move Tarnic plays is checked against the legal move list of the
reference engine (stockfish's "go perft 1"); the reference engine also tells
check, mate, stalemate, repetition, the fifty-move rule and bare kings. The
games are written as PGN with the result and the reason the game ended.

Exit status: 0 when Tarnic made no illegal move, did not crash or hang and
did not lose on time; 1 otherwise.

Example:
  tools/play_games.py --games 4 --time 10 --inc 0.1
  tools/play_games.py --games 200 --opponent stockfish --opponent glaurung --pgn games.pgn
  tools/play_games.py --games 100 --ponder --opponent stockfish --opponent glaurung
  tools/play_games.py --games 200 --opponent-engine /tmp/tarnic-old --random-plies 6
  tools/play_games.py --games 20 --opponent glaurung --start-position --tarnic-option OwnBook=true \
      --tarnic-option "Book File=/usr/share/games/gnuchess/book.bin"
  tools/play_games.py --games 100 --chess960 --time 5 --inc 0.05
  tools/play_games.py --games 100 --tarnic-option UCI_LimitStrength=true --tarnic-option UCI_Elo=1400 \
      --opponent-elo 1400 --random-plies 8 --concurrency 2 --pgn level1400.pgn --think-times level1400.times
"""

import argparse
import math
import os
import random
import select
import subprocess
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

from chess960_perft import random_start, start_fen

STOCKFISH = "/usr/games/stockfish"
OPPONENTS = {
    # name: (command, options sent after "uci")
    "stockfish": ([STOCKFISH], [("UCI_LimitStrength", "true"), ("UCI_Elo", "1350"), ("Threads", "1"), ("Hash", "16")]),
    "glaurung": (["/usr/games/glaurung"], [("Threads", "1"), ("Hash", "16")]),
    "toga2": (["/usr/games/toga2"], [("Hash", "16")]),
    "ethereal": (["/usr/games/ethereal-chess"], [("Threads", "1"), ("Hash", "16")]),
}
OPENINGS = [
    "", "e2e4 e7e5", "d2d4 d7d5", "e2e4 c7c5", "c2c4 e7e5", "g1f3 d7d5", "e2e4 e7e6", "d2d4 g8f6",
    "e2e4 c7c6", "b1c3 d7d5", "e2e4 d7d6", "f2f4 d7d5", "d2d4 f7f5", "e2e4 g7g6", "c2c4 c7c5", "g2g3 e7e5",
]


SKIPPED = 77  # ctest's SKIP_RETURN_CODE
PONDER_STATS = {"hits": 0, "misses": 0}


class EngineError(Exception):
    pass


class Engine:
    def __init__(self, name, command):
        self.name = name
        self.proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, bufsize=0)
        self.buffer = b""

    def send(self, line):
        try:
            self.proc.stdin.write((line + "\n").encode())
            self.proc.stdin.flush()
        except (BrokenPipeError, OSError) as exc:
            raise EngineError(f"{self.name} closed its input: {exc}")

    def read_line(self, deadline):
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise EngineError(f"{self.name} timed out")
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if not ready:
                continue
            chunk = os.read(self.proc.stdout.fileno(), 65536)
            if not chunk:
                raise EngineError(f"{self.name} exited with status {self.proc.poll()}")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode(errors="replace").rstrip("\r")

    def wait_for(self, prefix, seconds):
        deadline = time.monotonic() + seconds
        lines = []
        while True:
            line = self.read_line(deadline)
            lines.append(line)
            if line.startswith(prefix):
                return lines

    def start(self, options):
        self.send("uci")
        self.wait_for("uciok", 10)
        for name, value in options:
            self.send(f"setoption name {name} value {value}")
        self.send("isready")
        self.wait_for("readyok", 10)

    def close(self):
        try:
            self.send("quit")
            self.proc.wait(timeout=5)
        except (EngineError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()


class Referee:
    """Asks the reference engine about positions."""

    def __init__(self, chess960=False):
        self.engine = Engine("referee", [STOCKFISH])
        self.engine.start([("Threads", "1")] + ([("UCI_Chess960", "true")] if chess960 else []))
        self.start = "position startpos"

    def legal_moves(self, moves):
        self.engine.send(self.start + " moves " + " ".join(moves) if moves else self.start)
        self.engine.send("go perft 1")
        lines = self.engine.wait_for("Nodes searched", 10)
        return {line.split(":")[0] for line in lines if ":" in line and not line.startswith("Nodes")}

    def describe(self, moves):
        self.engine.send(self.start + " moves " + " ".join(moves) if moves else self.start)
        self.engine.send("d")
        lines = self.engine.wait_for("Checkers:", 10)
        fen = next(line[5:] for line in lines if line.startswith("Fen: "))
        checkers = next(line for line in lines if line.startswith("Checkers:"))[9:].strip()
        return fen, bool(checkers)

    def close(self):
        self.engine.close()


def bare_material(fen):
    pieces = fen.split()[0]
    others = [c for c in pieces if c.isalpha() and c not in "kK"]
    return all(c in "nNbB" for c in others) and len(others) <= 1


def play_game(tarnic_cmd, opponent, tarnic_white, opening, base, inc, referee, log, ponder=False,
              tarnic_options=(), fen=None, thinks=None):
    """Returns (result, reason, moves, tarnic_fault). Tarnic's think times
    (seconds, from the go to the answer) are appended to thinks.

    With fen, a Chess960 game from that start: both engines and the referee
    get UCI_Chess960, the positions go as "position fen".

    With ponder, Tarnic thinks on the opponent's time as GUIs make it do:
    after "bestmove X ponder Y" it gets the position with X and Y and
    "go ponder"; when the opponent plays Y it gets "ponderhit", otherwise
    "stop", the real position and the real "go" in one write, and the
    ponder search's answer is dropped.
    """
    tarnic = Engine("tarnic", tarnic_cmd)
    command, options = OPPONENTS[opponent]
    other = Engine(opponent, command)
    moves = opening.split()
    clocks = [base, base]  # white, black, seconds
    seen = {}
    state = {"ponder": None}  # the move Tarnic ponders on, while it does

    start = f"position fen {fen}" if fen else "position startpos"
    chess960 = [("UCI_Chess960", "true")] if fen else []
    referee.start = start

    def position(line_moves):
        return start + " moves " + " ".join(line_moves) if line_moves else start

    def go_line(prefix="go"):
        wtime, btime = int(clocks[0] * 1000), int(clocks[1] * 1000)
        return f"{prefix} wtime {wtime} btime {btime} winc {int(inc * 1000)} binc {int(inc * 1000)}"

    def game():
        tarnic.start([("Hash", "16"), ("Ponder", "true" if ponder else "false")] + chess960 + list(tarnic_options))
        other.start(options + chess960)
        tarnic.send("ucinewgame")
        other.send("ucinewgame")
        while True:
            fen, in_check = referee.describe(moves)
            legal = referee.legal_moves(moves)
            white_to_move = fen.split()[1] == "w"
            if not legal:
                if in_check:
                    return ("0-1" if white_to_move else "1-0"), "checkmate", moves, None
                return "1/2-1/2", "stalemate", moves, None
            key = " ".join(fen.split()[:4])
            seen[key] = seen.get(key, 0) + 1
            if seen[key] >= 3:
                return "1/2-1/2", "threefold repetition", moves, None
            if int(fen.split()[4]) >= 100:
                return "1/2-1/2", "fifty-move rule", moves, None
            if bare_material(fen):
                return "1/2-1/2", "insufficient material", moves, None
            side = 0 if white_to_move else 1
            tarnic_moves = (side == 0) == tarnic_white
            engine = tarnic if tarnic_moves else other
            expected = None
            if tarnic_moves and state["ponder"] is not None:
                if moves[-1] == state["ponder"]:
                    PONDER_STATS["hits"] += 1
                    tarnic.send("ponderhit")
                else:
                    PONDER_STATS["misses"] += 1
                    # A miss: the ponder search's answer comes first and is dropped.
                    tarnic.send("stop\n" + position(moves) + "\n" + go_line())
                    expected = "dropped"
                state["ponder"] = None
            else:
                engine.send(position(moves))
                engine.send(go_line())
            started = time.monotonic()
            try:
                if expected == "dropped":
                    tarnic.wait_for("bestmove", 5)
                lines = engine.wait_for("bestmove", clocks[side] + 5)
            except EngineError as exc:
                if tarnic_moves:
                    return ("0-1" if tarnic_white else "1-0"), f"tarnic failed: {exc}", moves, str(exc)
                return ("1-0" if tarnic_white else "0-1"), f"{opponent} failed: {exc}", moves, None
            used = time.monotonic() - started
            clocks[side] -= used
            if clocks[side] < 0:
                fault = "lost on time" if tarnic_moves else None
                winner_white = side == 1
                return ("1-0" if winner_white else "0-1"), f"{engine.name} lost on time", moves, fault
            clocks[side] += inc
            if tarnic_moves and thinks is not None:
                thinks.append(used)
            words = lines[-1].split()
            move = words[1] if len(words) > 1 else "(none)"
            if move not in legal:
                fault = f"illegal move {move}" if tarnic_moves else None
                winner_white = side == 1
                return ("1-0" if winner_white else "0-1"), f"{engine.name} played illegal move {move}", moves, fault
            moves.append(move)
            if log:
                print(f"  {len(moves):3d}. {engine.name:9s} {move:6s} {used:6.2f}s", file=sys.stderr)
            if tarnic_moves and ponder and len(words) >= 4 and words[2] == "ponder":
                reply = words[3]
                if reply not in referee.legal_moves(moves):
                    return ("0-1" if tarnic_white else "1-0"), f"tarnic gave illegal ponder move {reply}", moves, \
                        f"illegal ponder move {reply}"
                state["ponder"] = reply
                tarnic.send(position(moves + [reply]))
                tarnic.send(go_line("go ponder"))

    try:
        result = game()
        if state["ponder"] is not None:
            # The game ended while Tarnic pondered: it must still answer "stop".
            try:
                tarnic.send("stop")
                tarnic.wait_for("bestmove", 5)
            except EngineError as exc:
                return result[0], result[1], result[2], result[3] or f"no answer to stop after the game: {exc}"
        return result
    finally:
        tarnic.close()
        other.close()


def board_of(fen):
    board = {}
    for r, row in enumerate(fen.split()[0].split("/")):
        f = 0
        for ch in row:
            if ch.isdigit():
                f += int(ch)
            else:
                board["abcdefgh"[f] + str(8 - r)] = ch
                f += 1
    return board


def to_san(fen, move, legal):
    """Standard algebraic notation of a legal move, without the check mark."""
    board = board_of(fen)
    frm, to, promo = move[:2], move[2:4], move[4:]
    piece = board[frm].upper()
    if piece == "K" and abs(ord(frm[0]) - ord(to[0])) == 2 and board.get(to, "").upper() != "R":
        return "O-O" if to[0] == "g" else "O-O-O"
    if piece == "K" and board.get(to, " ").isupper() == board[frm].isupper() and board.get(to, "").upper() == "R":
        return "O-O" if to[0] > frm[0] else "O-O-O"  # Chess960: the king takes its own rook
    capture = to in board or (piece == "P" and frm[0] != to[0])
    if piece == "P":
        return (frm[0] + "x" if capture else "") + to + ("=" + promo.upper() if promo else "")
    rivals = [m[:2] for m in legal if m[2:4] == to and m[:2] != frm and board.get(m[:2], "").upper() == piece]
    mark = ""
    if rivals:
        if all(r[0] != frm[0] for r in rivals):
            mark = frm[0]
        elif all(r[1] != frm[1] for r in rivals):
            mark = frm[1]
        else:
            mark = frm
    return piece + mark + ("x" if capture else "") + to


def san_moves(referee, moves):
    sans = []
    fen, _ = referee.describe([])
    legal = referee.legal_moves([])
    for i, move in enumerate(moves):
        san = to_san(fen, move, legal)
        fen, check = referee.describe(moves[:i + 1])
        legal = referee.legal_moves(moves[:i + 1])
        sans.append(san + ("#" if check and not legal else "+" if check else ""))
    return sans


def pgn(game_no, white, black, result, reason, moves, time_control, uci_moves=None, opening_plies=0, fen=None):
    header = (f'[Event "Tarnic test games"]\n[Site "?"]\n[Date "{time.strftime("%Y.%m.%d")}"]\n[Round "{game_no}"]\n'
              f'[White "{white}"]\n[Black "{black}"]\n[Result "{result}"]\n[TimeControl "{time_control}"]\n'
              + (f'[Variant "Chess960"]\n[SetUp "1"]\n[FEN "{fen}"]\n' if fen else "") +
              f'[Termination "{reason}"]\n')
    if uci_moves is not None:
        # For tools that replay the games (tools/move_loss.py): the moves as
        # the engines sent them, and how many of them the opening set.
        header += f'[OpeningPlies "{opening_plies}"]\n[UciMoves "{" ".join(uci_moves)}"]\n'
    header += "\n"
    body = []
    for i, move in enumerate(moves):
        if i % 2 == 0:
            body.append(f"{i // 2 + 1}.")
        body.append(move)
    body.append(result)
    lines, line = [], ""
    for word in body:
        if len(line) + len(word) + 1 > 79:
            lines.append(line)
            line = word
        else:
            line = f"{line} {word}".strip()
    lines.append(line)
    return header + "\n".join(lines) + "\n\n"


def random_opening(referee, seed, plies):
    """A line of pseudo-random legal moves, the same for a given seed."""
    rng = random.Random(seed)
    moves = []
    for _ in range(plies):
        legal = sorted(referee.legal_moves(moves))
        if not legal:
            break
        moves.append(rng.choice(legal))
    return " ".join(moves)


def score_summary(score):
    """The score fraction, its 95 % margin and the Elo difference they mean."""
    total = sum(score.values())
    points = score["win"] + 0.5 * score["draw"]
    mean = points / total
    variance = (score["win"] * (1 - mean) ** 2 + score["draw"] * (0.5 - mean) ** 2 +
                score["loss"] * mean ** 2) / total
    margin = 1.96 * math.sqrt(variance / total)

    def elo(x):
        x = min(max(x, 1e-6), 1 - 1e-6)
        return -400 * math.log10(1 / x - 1)

    return (f"score {100 * mean:.1f} % +- {100 * margin:.1f} % (95 %), "
            f"Elo {elo(mean):+.0f} [{elo(mean - margin):+.0f}, {elo(mean + margin):+.0f}]")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--engine", default=os.path.join(os.path.dirname(__file__), "..", "build", "tarnic"))
    parser.add_argument("--games", type=int, default=4)
    parser.add_argument("--time", type=float, default=10.0, help="base time per side, seconds")
    parser.add_argument("--inc", type=float, default=0.1, help="increment per move, seconds")
    parser.add_argument("--opponent", action="append", choices=sorted(OPPONENTS), help="may be repeated")
    parser.add_argument("--opponent-engine", action="append", default=[], metavar="PATH",
                        help="another UCI engine (such as an older Tarnic), by path; may be repeated")
    parser.add_argument("--opponent-elo", type=int, default=1350,
                        help="stockfish's UCI_Elo (1350 to 2850; default 1350)")
    parser.add_argument("--opponent-option", action="append", default=[], metavar="NAME=VALUE",
                        help="a setoption for stockfish (such as \"Move Overhead=100\"); may be repeated")
    parser.add_argument("--tarnic-option", action="append", default=[], metavar="NAME=VALUE",
                        help="a setoption for Tarnic (such as UCI_Elo=1400); may be repeated")
    parser.add_argument("--random-plies", type=int, default=0,
                        help="open each pair of games with this many pseudo-random legal plies")
    parser.add_argument("--pgn", help="write the games to this file")
    parser.add_argument("--think-times", metavar="FILE",
                        help="write Tarnic's think time of every move to this file, one line a move")
    parser.add_argument("--first", type=int, default=1, help="number of the first game (for parallel runs)")
    parser.add_argument("--concurrency", type=int, default=1, help="games played at the same time")
    parser.add_argument("--ponder", action="store_true", help="let Tarnic think on the opponent's time")
    parser.add_argument("--start-position", action="store_true",
                        help="start every game from the initial position (no opening list)")
    parser.add_argument("--chess960", action="store_true",
                        help="each pair of games from a pseudo-random Chess960 start position")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()
    tarnic_options = []
    for option in args.tarnic_option:
        name, sep, value = option.partition("=")
        if not sep or not name.strip():
            parser.error(f"--tarnic-option wants NAME=VALUE, not {option!r}")
        tarnic_options.append((name.strip(), value))
    command, options = OPPONENTS["stockfish"]
    options = [(n, str(args.opponent_elo) if n == "UCI_Elo" else v) for n, v in options]
    OPPONENTS["stockfish"] = (command, options + [tuple(t.partition("=")[::2]) for t in args.opponent_option])
    opponents = args.opponent or ([] if args.opponent_engine else ["stockfish"])
    for path in args.opponent_engine:
        name = os.path.basename(path)
        OPPONENTS[name] = ([os.path.abspath(path)], [("Hash", "16")])
        opponents.append(name)
    missing = sorted({c[0] for c in [[STOCKFISH]] + [OPPONENTS[o][0] for o in opponents] if not os.access(c[0], os.X_OK)})
    if missing:
        # CI installs every peer, so there a missing one is a failure; elsewhere the games are skipped.
        print(f"not installed: {' '.join(missing)} (Debian packages stockfish, glaurung, ...)")
        if os.environ.get("CI") == "true":
            print("0 passed, 1 failed")
            return 1
        print("games skipped")
        return SKIPPED

    score = {"win": 0, "draw": 0, "loss": 0}
    faults = []
    out = open(args.pgn, "w") if args.pgn else None
    times = open(args.think_times, "w") if args.think_times else None
    lock = threading.Lock()  # the totals, the files and standard output
    local = threading.local()  # a referee for each worker
    referees = []

    def referee_of_worker():
        if not hasattr(local, "referee"):
            local.referee = Referee(args.chess960)
            with lock:
                referees.append(local.referee)
        return local.referee

    def play(game):
        referee = referee_of_worker()
        opponent = opponents[game % len(opponents)]
        # Each opening is played with both colours against each opponent.
        tarnic_white = (game // len(opponents)) % 2 == 0
        pair = game // (2 * len(opponents))
        fen = start_fen(random_start(random.Random(pair))) if args.chess960 else None
        referee.start = f"position fen {fen}" if fen else "position startpos"
        if args.start_position:
            opening = ""
        elif args.random_plies:
            opening = random_opening(referee, pair, args.random_plies)
        elif fen:
            opening = ""
        else:
            opening = OPENINGS[pair % len(OPENINGS)]
        thinks = []
        result, reason, moves, fault = play_game([args.engine], opponent, tarnic_white, opening, args.time,
                                                 args.inc, referee, args.verbose, args.ponder, tarnic_options,
                                                 fen, thinks)
        white, black = ("Tarnic", opponent) if tarnic_white else (opponent, "Tarnic")
        text = None
        if out:
            text = pgn(game + 1, white, black, result, reason, san_moves(referee, moves),
                       f"{args.time:g}+{args.inc:g}", moves, len(opening.split()), fen)
        with lock:
            if result == "1/2-1/2":
                score["draw"] += 1
            elif (result == "1-0") == tarnic_white:
                score["win"] += 1
            else:
                score["loss"] += 1
            if fault:
                faults.append(f"game {game + 1}: {fault}")
            print(f"game {game + 1}: {white} - {black} {result} ({reason}, {len(moves)} plies)", flush=True)
            if out:
                out.write(text)
                out.flush()
            if times:
                times.writelines(f"{game + 1} {t:.3f}\n" for t in thinks)
                times.flush()

    try:
        games = range(args.first - 1, args.first - 1 + args.games)
        with ThreadPoolExecutor(max_workers=max(1, args.concurrency)) as pool:
            for done in [pool.submit(play, game) for game in games]:
                done.result()
    finally:
        for referee in referees:
            referee.close()
        if out:
            out.close()
        if times:
            times.close()
    total = sum(score.values())
    points = score["win"] + 0.5 * score["draw"]
    print(f"Tarnic: +{score['win']} ={score['draw']} -{score['loss']} ({points}/{total})")
    if total:
        print(score_summary(score))
    if args.ponder:
        print(f"ponder: {PONDER_STATS['hits']} hits, {PONDER_STATS['misses']} misses")
    for fault in faults:
        print("FAULT", fault)
    print(f"{total - len(faults)} passed, {len(faults)} failed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
