#!/usr/bin/env python3
"""Milliseconds from writing "go" to reading "bestmove" for a move from the book (median of N).

Each run is one "position" and "go wtime 60000 btime 60000" in a running engine with OwnBook on, from the
start position or after the moves given, and must be answered from the book.

Usage: tools/book_latency.py BOOK [ENGINE_COMMAND] [RUNS] [MOVES...]
"""
import os
import shlex
import select
import statistics
import subprocess
import sys
import time

if len(sys.argv) < 2:
    sys.exit(__doc__)
book = sys.argv[1]
engine = sys.argv[2] if len(sys.argv) > 2 else "build/tarnic"
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 20
moves = sys.argv[4:]
position = "position startpos" + (" moves " + " ".join(moves) if moves else "")


def read_until(proc, word, buffer):
    while word not in buffer:
        ready, _, _ = select.select([proc.stdout], [], [], 10)
        if not ready:
            sys.exit(f"no {word!r} within 10 s")
        chunk = os.read(proc.stdout.fileno(), 65536)
        if not chunk:
            sys.exit("engine ended")
        buffer += chunk
    return buffer


proc = subprocess.Popen(shlex.split(engine), stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
proc.stdin.write(f"uci\nsetoption name OwnBook value true\nsetoption name Book File value {book}\nisready\n".encode())
read_until(proc, b"readyok", b"")
times = []
for i in range(runs):
    proc.stdin.write(f"{position}\nisready\n".encode())
    read_until(proc, b"readyok", b"")
    start = time.monotonic()
    proc.stdin.write(b"go wtime 60000 btime 60000\n")
    answer = read_until(proc, b"bestmove", b"")
    times.append((time.monotonic() - start) * 1000)
    if b"book move" not in answer:
        sys.exit("not answered from the book:\n" + answer.decode())
    time.sleep(0.05)
proc.stdin.write(b"quit\n")
proc.wait()
print(f"go to bestmove from the book: median {statistics.median(times):.2f} ms over {runs} runs "
      f"(min {min(times):.2f}, max {max(times):.2f})")
