#!/usr/bin/env bash
# Builds Quillory in Release and runs the benchmark: Open Folder, Save all to
# disk and a header sort on the real main window (offscreen) against mutagen,
# kid3-cli and id3lib parsing the files in memory, for each N given (default
# 1000 and 5000). Each N runs in a process of its own, so its memory figures
# are its own. Options go to every run:
#   --subfolders K   the files in subfolders of K files, opened with subfolders
#   --runs R         runs per N (default 5 up to 1,000 files, 3 below 50,000, else 1)
#   --dir FOLDER     where the corpora are made (four folders of N files at once)
# The figures of the issue: ./scripts/bench.sh 1000 5000 100000 and
# ./scripts/bench.sh --subfolders 500 20000; kid3-cli is measured when
# installed (apt-get install kid3-cli).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_TESTS=OFF -DQUILLORY_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)" --target quillory_bench
options=()
sizes=()
while [ "$#" -gt 0 ]; do
  case "$1" in
    --load-only) options+=("$1") ;;
    --*) options+=("$1" "$2"); shift ;;
    *) sizes+=("$1") ;;
  esac
  shift
done
[ "${#sizes[@]}" -gt 0 ] || sizes=(1000 5000)
command -v kid3-cli >/dev/null ||
  echo "kid3-cli is not installed (apt-get install kid3-cli): its figures are left out" >&2
status=0
for n in "${sizes[@]}"; do
  QT_QPA_PLATFORM=offscreen build-bench/bench/quillory_bench "$n" "${options[@]}" || status=1
done
exit $status
