#!/usr/bin/env bash
# Builds Quillory in Release and runs the benchmark: Open Folder and Save all
# to disk on the real main window (offscreen) against mutagen and against
# id3lib parsing the files in memory, for each N given (default 1000 and
# 5000). Each N runs in a process of its own, so its memory figures are its own.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_TESTS=OFF -DQUILLORY_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)" --target quillory_bench
[ "$#" -gt 0 ] || set -- 1000 5000
status=0
for n in "$@"; do
  QT_QPA_PLATFORM=offscreen build-bench/bench/quillory_bench "$n" || status=1
done
exit $status
