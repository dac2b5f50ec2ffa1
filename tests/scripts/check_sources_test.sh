#!/bin/bash
# The source check passes on the tree with what the build lists, and in a
# small tree of its own refuses a stray file by name, in a folder or below
# it, while passing the files built only by other configurations and those
# outside the checked folders.
set -u
repo="$1"
listed="$2"
check="$repo/scripts/check-sources.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$check" "$repo" "$listed" || fail "the tree has a .cpp that no target lists"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/tree/app/panels/import" "$tmp/tree/core/model" "$tmp/tree/grid" "$tmp/tree/tests/leak" "$tmp/tree/fuzz"
touch "$tmp/tree/app/panels/Panel.cpp" "$tmp/tree/core/model/Core.cpp" "$tmp/tree/tests/leak/LeakCanary.cpp" \
      "$tmp/tree/fuzz/frame.cpp"
printf 'app/panels/Panel.cpp\ncore/model/Core.cpp\n' > "$tmp/listed.txt"
"$check" "$tmp/tree" "$tmp/listed.txt" || fail "a tree whose files are all listed is refused"

expect_refused() {
    touch "$tmp/tree/$1"
    out=$("$check" "$tmp/tree" "$tmp/listed.txt" 2>&1) && fail "a stray $1 is not refused"
    grep -qF "$1" <<< "$out" || fail "the refusal does not name $1: $out"
    rm -f "$tmp/tree/$1"
}
expect_refused app/panels/Stray.cpp
expect_refused "app/panels/import/Stray Reader.cpp"
expect_refused tests/StrayTest.cpp
expect_refused grid/Stray.cpp

"$check" "$tmp/tree" "$tmp/missing.txt" 2>/dev/null && fail "a missing list is taken for an empty one"
exit 0
