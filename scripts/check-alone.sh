#!/bin/bash
# Fails when a file of a unity batch compiles only in its batch: an include
# it lacks that a file before it brought in, or a name of another file's
# anonymous namespace it uses. Each file of the batches of core/, platform/
# and app/ is compiled alone, syntax only, with its batch's flags
# (compile_commands.json); a file unchanged since it last passed is not
# compiled again.
# Usage: check-alone.sh BUILD [JOBS [TREE [DIRS]]]
#   DIRS: the tree's folders to check, separated by ';' (core;platform;app)
set -u
build="${1:?usage: check-alone.sh BUILD [JOBS [TREE [DIRS]]]}"
jobs="${2:-3}"
root="${3:-$(cd "$(dirname "$0")/.." && pwd)}"
dirs="${4:-core;platform;app}"
commands="$build/compile_commands.json"
[ -r "$commands" ] || { echo "check-alone: no $commands (configure with CMAKE_EXPORT_COMPILE_COMMANDS)" >&2; exit 2; }
out="$(cd "$build" && pwd)/check-alone"
cmake -DCOMMANDS="$commands" -DSOURCE="$root" -DDIRS="$dirs" -DOUT="$out" \
      -P "$(dirname "$0")/check-alone.cmake" || exit 2
files=$(cat "$out/files.txt")
if ! ninja -C "$out" -j "$jobs" -k 0 >"$out/log" 2>&1; then
    grep -vE '^\[[0-9]+/[0-9]+\] alone ' "$out/log"
    echo "check-alone: a file compiles only in its unity batch: give it the includes and names it uses" >&2
    exit 1
fi
echo "check-alone: each of the $files files of the unity batches compiles alone"
