#!/usr/bin/env bash
# Builds Quillory and starts it, on FOLDER when one is given, else on the
# sample folder of MP3 files that the repository makes.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
folder="${1:-}"
if [ -z "$folder" ]; then
  folder="$PWD/build/sample"
  ./scripts/make-sample.sh "$folder"
fi
exec build/app/quillory "$folder"
