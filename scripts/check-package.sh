#!/usr/bin/env bash
# Proves that Quillory installs a usable CMake package: installs a finished
# build into a temporary prefix, builds a tiny program outside the tree
# against it with find_package(Quillory), and runs it on a fixture, which must
# print the fixture's artist.
# Usage: scripts/check-package.sh [BUILD_DIR]   (default: build, already built)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-$source_dir/build}" && pwd)
# ctest hands over its own cmake and generator; by hand, the ones on PATH.
cmake=${CMAKE_COMMAND:-cmake}
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$cmake" --install "$build_dir" --prefix "$tmp/prefix" >"$tmp/install.log"
cp -r "$source_dir/tests/build/consumer" "$tmp/consumer"
if ! "$cmake" -S "$tmp/consumer" -B "$tmp/consumer-build" -DCMAKE_PREFIX_PATH="$tmp/prefix" \
     -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$tmp/configure.log" 2>&1 ||
   ! "$cmake" --build "$tmp/consumer-build" >"$tmp/build.log" 2>&1; then
  cat "$tmp/configure.log" "$tmp/build.log" 2>/dev/null >&2
  echo "0 passed, 1 failed"
  exit 1
fi

# The program finds the installed libraries by the paths the package gave it.
expected="Ånnä Ümlaut"
actual=$("$tmp/consumer-build/show_artist" \
  "$source_dir/tests/fixtures/files/cbr_v23_utf16_v1.mp3")
if [ "$actual" = "$expected" ]; then
  echo "ok   show_artist, built with find_package(Quillory), read \"$actual\""
  echo "1 passed, 0 failed"
else
  echo "FAIL show_artist read \"$actual\", not \"$expected\"" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
