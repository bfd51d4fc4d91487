#!/usr/bin/env bash
# Proves that the build refuses to configure without one of its folders: for
# each folder named (default: the base, the platform and the core, the command line, the eight libraries, the program
# and the benchmark), a copy of the source tree with that folder renamed must
# fail to configure, with a message naming the folder. Configure only, no build.
# Usage: scripts/check-missing-folder.sh [FOLDER ...]
set -euo pipefail
# ctest hands over its own cmake and generator; by hand, the ones on PATH.
cmake=${CMAKE_COMMAND:-cmake}
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
[ "$#" -gt 0 ] || set -- base platform tags core cli table statusbar progress textcolor menus shell dialogs app bench
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The copy holds the sources only: no build folders, no repository.
mkdir "$tmp/src"
(cd "$source_dir" && find . -mindepth 1 -maxdepth 1 ! -name '.git' ! -name 'build*' -exec cp -r {} "$tmp/src/" \;)

failed=0
for folder in "$@"; do
  if [ ! -d "$tmp/src/$folder" ]; then
    echo "FAIL $folder: no such folder in the tree" >&2
    failed=$((failed + 1))
    continue
  fi
  mv "$tmp/src/$folder" "$tmp/src/$folder.away"
  # The build folder is kept from one folder to the next: its cache spares the
  # compiler checks, and every configure here stops before generating anything.
  if "$cmake" -S "$tmp/src" -B "$tmp/build" >"$tmp/log" 2>&1; then
    echo "FAIL $folder: configure succeeded without it" >&2
    failed=$((failed + 1))
  elif ! tr -s ' \n' ' ' <"$tmp/log" | grep -q "missing folder[^:]*: \([a-z, ]*, \)\?$folder\b"; then
    echo "FAIL $folder: configure failed without naming it:" >&2
    cat "$tmp/log" >&2
    failed=$((failed + 1))
  else
    echo "ok   $folder: configure fails, naming it"
  fi
  mv "$tmp/src/$folder.away" "$tmp/src/$folder"
done

# With the benchmark switched off its folder is not needed: a tree without it
# and without the tag library fails for the tag library alone.
checks=$(($# + 1))
mv "$tmp/src/bench" "$tmp/src/bench.away"
mv "$tmp/src/tags" "$tmp/src/tags.away"
"$cmake" -S "$tmp/src" -B "$tmp/build" -DQUILLORY_BENCH=OFF >"$tmp/log" 2>&1 || true
if tr -s ' \n' ' ' <"$tmp/log" | grep -q "missing folder[^:]*: tags\b" &&
   ! tr -s ' \n' ' ' <"$tmp/log" | grep -q "missing folder[^:]*:.*bench"; then
  echo "ok   bench with QUILLORY_BENCH=OFF: not required"
else
  echo "FAIL bench with QUILLORY_BENCH=OFF: still required, or tags not named:" >&2
  cat "$tmp/log" >&2
  failed=$((failed + 1))
fi
echo "$((checks - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
