#!/usr/bin/env bash
# The Windows build under wine, driven through ordinary pipes: the protocol,
# search and perft end-to-end tests and the depth-8 node-count signature.
# Needs build/tarnic_tests (make release-tests), MinGW-w64 and wine; where
# they are missing the tests are skipped, except under CI=true.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

skip() {
  echo "windows: skipped: $1"
  if [ "${CI:-}" = "true" ]; then
    echo "windows: 0 passed, 1 failed"
    exit 1
  fi
  exit 0
}

command -v x86_64-w64-mingw32-g++-posix >/dev/null || skip "no x86_64-w64-mingw32-g++-posix (apt-get install g++-mingw-w64-x86-64)"
# wine64 runs 64-bit programs without the 32-bit loader that the wine script may pick.
wine=""
for w in wine64 /usr/lib/wine/wine64 wine; do
  if command -v "$w" >/dev/null; then wine=$(command -v "$w"); break; fi
done
[ -n "$wine" ] || skip "no wine (apt-get install wine wine64)"
[ -x build/tarnic_tests ] || skip "no build/tarnic_tests (make release-tests)"

make --no-print-directory windows >/dev/null || { echo "windows: 0 passed, 1 failed (build)"; exit 1; }
export WINEDEBUG=-all
# The first start of wine sets up its prefix, which takes a while. The wine
# server shuts down a few seconds after its last client, and a process that
# starts just then can fail ("recvmsg: Connection reset by peer"). So one
# engine stays up as a client through all the tests, keeping the server up.
keeper_out=$(mktemp)
(sleep 3600 | "$wine" build-windows/tarnic.exe >"$keeper_out" 2>/dev/null) &
keeper=$!
trap 'pkill -P $keeper; wineserver -k >/dev/null 2>&1; rm -f "$keeper_out"' EXIT
for _ in $(seq 600); do
  [ -s "$keeper_out" ] && break
  sleep 1
done

passed=0
failed=0
check() {
  local name=$1
  shift
  echo "== $name"
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
check "end-to-end tests of tarnic.exe" env TARNIC_ENGINE="$wine $root/build-windows/tarnic.exe" \
  build/tarnic_tests --gtest_brief=1 \
  --gtest_filter='Protocol.*:Console.PerftTotalsAreCumulative:Go.*:SearchProtocol.*'
check "node-count signature of tarnic.exe" python3 tools/signature.py --engine "$wine build-windows/tarnic.exe" \
  --depth 8 --check tools/signature.txt
# The AVX2 flavour must search the same tree, where this processor runs it.
if grep -qw avx2 /proc/cpuinfo && grep -qw bmi2 /proc/cpuinfo; then
  check "node-count signature of tarnic-avx2.exe" python3 tools/signature.py \
    --engine "$wine build-windows/tarnic-avx2.exe" --depth 8 --check tools/signature.txt
else
  echo "== tarnic-avx2.exe built, not run: this processor has no AVX2 or BMI2"
fi
check "a pondering game over Windows pipes" "$wine" build-windows/winpipe_game.exe 'build-windows\tarnic.exe' 30 10000

# The 32-bit build needs wine's 32-bit loader and a kernel that runs 32-bit
# programs; where either is missing it is only built.
if out=$(timeout 60 "${wine%64}" build-windows/tarnic32.exe "perft 3" 2>/dev/null) && [[ $out == *"Nodes: 9322 "* ]]; then
  check "perft of tarnic32.exe" true
else
  echo "== tarnic32.exe built, not run: this machine's wine cannot start 32-bit programs"
fi
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
