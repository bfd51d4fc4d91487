#!/usr/bin/env bash
# Builds the tests and runs every GUI test program (all but the tag and build
# tests) N times in a row, 30 by default, printing per program how many runs
# passed and how long they took. The log of every failed run is kept under
# <build>/repeat-logs. BUILD_DIR chooses the build folder (default: build).
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-30}
build=${BUILD_DIR:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo || exit 1
fi
cmake --build "$build" -j "$(nproc)" || exit 1

programs=$(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: *\([^ ]*\).*/\1/p' | grep -v -e '^tags_' -e '^build_')
logs="$build/repeat-logs"
rm -rf "$logs" && mkdir -p "$logs"

status=0
for program in $programs; do
  passed=0
  start=$(date +%s)
  for ((run = 1; run <= runs; run++)); do
    if ctest --test-dir "$build" -R "^${program}\$" --output-on-failure > "$logs/$program.$run.log" 2>&1; then
      passed=$((passed + 1))
      rm -f "$logs/$program.$run.log"
    fi
  done
  seconds=$(($(date +%s) - start))
  printf '%-18s %3d/%d passed  %4d s\n' "$program" "$passed" "$runs" "$seconds"
  [ "$passed" -eq "$runs" ] || status=1
done
[ "$status" -eq 0 ] || echo "Failed runs are logged in $logs"
exit "$status"
