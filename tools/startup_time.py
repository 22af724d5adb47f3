#!/usr/bin/env python3
"""Milliseconds from launching the engine to reading "readyok" (median of N runs)."""
import statistics
import subprocess
import sys
import time

engine = sys.argv[1] if len(sys.argv) > 1 else "build/tarnic"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
times = []
for _ in range(runs):
    start = time.monotonic()
    proc = subprocess.Popen([engine], stdin=subprocess.PIPE, stdout=subprocess.PIPE, bufsize=0)
    proc.stdin.write(b"isready\n")
    proc.stdin.flush()
    out = b""
    while b"readyok" not in out:
        chunk = proc.stdout.read(1)
        if not chunk:
            sys.exit("engine ended before readyok")
        out += chunk
    times.append((time.monotonic() - start) * 1000)
    proc.stdin.write(b"quit\n")
    proc.stdin.flush()
    proc.wait()
print(f"startup to readyok: median {statistics.median(times):.1f} ms over {runs} runs "
      f"(min {min(times):.1f}, max {max(times):.1f})")
