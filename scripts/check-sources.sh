#!/bin/bash
# Fails, naming each, on a .cpp under app/ core/ platform/ grid/ or tests/ that
# no target of the build lists: a stray file would otherwise lie unbuilt or,
# worse, be taken for part of the program. The build writes what its targets
# list into listed-sources.txt, one path a line, relative to the tree.
# Usage: check-sources.sh TREE LISTED
set -u
root="$1"
listed="$2"
[[ "$listed" = /* ]] || listed="$PWD/$listed"
cd "$root" || { echo "check-sources: no tree at $root" >&2; exit 2; }
[ -r "$listed" ] || { echo "check-sources: cannot read $listed" >&2; exit 2; }

# Built only by other configurations of the build.
others=(
    tests/leak/LeakCanary.cpp   # the sanitizer build
    tests/race/RaceCanary.cpp   # the thread-sanitizer build
)

dirs=()
for d in app core platform grid tests; do
    [ -d "$d" ] && dirs+=("$d")
done
[ ${#dirs[@]} -gt 0 ] || { echo "check-sources: nothing to check in $root" >&2; exit 2; }

stray=$(find "${dirs[@]}" -name '*.cpp' -type f | LC_ALL=C sort |
        LC_ALL=C comm -23 - <( (cat "$listed"; printf '%s\n' "${others[@]}") | LC_ALL=C sort -u))
if [ -n "$stray" ]; then
    while IFS= read -r f; do echo "not listed in any target: $f" >&2; done <<< "$stray"
    echo "check-sources: list each file in its folder's CMakeLists.txt" >&2
    exit 1
fi
