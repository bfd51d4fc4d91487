#!/usr/bin/env bash
# The whole crash test: a save of 60 files of 0.5-3 MB whose tags grow, written
# in batches and flushed together as Save all does, killed with SIGKILL at 48
# random moments, at 16 inside the grouped flushes (fixed seed) and just before
# chosen system calls (rename, fchmod, ID3v1 writes, in-place writes, flushes,
# folder flushes, ...), every file then checked. ctest runs a small part of it
# (tags_crash_quick).
# Extra arguments go to the test program: --seed N, --files N, --kills N,
# --dir FOLDER (where the files are laid; default the system's temporary folder).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v strace >/dev/null || ./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tags_crash
./build/tests/tags/tags_crash run "$@"
