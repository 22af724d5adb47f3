#!/usr/bin/env bash
# Runs every fuzz target for a bounded time from the seed corpus.
# Usage: tools/run_fuzz.sh BUILD_DIR SECONDS_PER_TARGET
set -u
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
passed=0
failed=0
for target in fuzz_script fuzz_fen fuzz_position; do
  corpus=${target#fuzz_}
  work=$(mktemp -d)
  log=$(mktemp)
  echo "== $target for ${seconds}s"
  # New inputs go to the scratch folder; the seeds in the repository stay as they are.
  if "$build/$target" "$work" "$root/fuzz/corpus/$corpus" -max_total_time="$seconds" -timeout=20 \
      -rss_limit_mb=4096 -max_len=4096 -print_final_stats=1 -artifact_prefix="$work/" >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^Done ' "$log"
    passed=$((passed + 1))
  else
    tail -n 40 "$log"
    echo "FAILED: $target (artifacts in $work)"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
