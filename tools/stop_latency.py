#!/usr/bin/env python3
"""Milliseconds from writing "stop" during "go infinite" to reading "bestmove" (median of N).

Usage: tools/stop_latency.py [ENGINE_COMMAND] [RUNS] [THREADS]; the engine may be a command line such as
"wine64 build-windows/tarnic.exe".
"""
import os
import shlex
import select
import statistics
import subprocess
import sys
import time

engine = sys.argv[1] if len(sys.argv) > 1 else "build/tarnic"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20
threads = int(sys.argv[3]) if len(sys.argv) > 3 else 1


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


times = []
for i in range(runs):
    proc = subprocess.Popen(shlex.split(engine), stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
    proc.stdin.write(f"uci\nsetoption name Threads value {threads}\nposition startpos\ngo infinite\n".encode())
    read_until(proc, b"uciok", b"")
    time.sleep(0.3 + 0.05 * (i % 5))
    start = time.monotonic()
    proc.stdin.write(b"stop\n")
    read_until(proc, b"bestmove", b"")
    times.append((time.monotonic() - start) * 1000)
    proc.stdin.write(b"quit\n")
    proc.wait()
print(f"stop to bestmove, {threads} threads: median {statistics.median(times):.2f} ms over {runs} runs "
      f"(min {min(times):.2f}, max {max(times):.2f})")
