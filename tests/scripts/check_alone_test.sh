#!/bin/bash
# The unity check passes on the build's batches, and in a small tree of its
# own refuses a file that compiles only after its batch-mate (a missing
# include, another file's anonymous helper), passes the same files made
# whole, and checks only the folders it is given.
set -u
repo="$1"
build="$2"
cxx="$3"
jobs="${4:-4}"
check="$repo/scripts/check-alone.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$check" "$build" "$jobs" "$repo" || fail "a file of the tree compiles only in its batch"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/tree/core" "$tmp/tree/grid" "$tmp/build/Unity"
printf '#include "%s"\n' "$tmp/tree/core/A.cpp" "$tmp/tree/core/B.cpp" "$tmp/tree/grid/C.cpp" \
    > "$tmp/build/Unity/unity_0_cxx.cxx"
cat > "$tmp/build/compile_commands.json" <<EOF
[
{
  "directory": "$tmp/build",
  "command": "$cxx -DWHOLE=\\"yes\\" -std=c++20 -o Unity/unity_0_cxx.cxx.o -c $tmp/build/Unity/unity_0_cxx.cxx",
  "file": "$tmp/build/Unity/unity_0_cxx.cxx",
  "output": "Unity/unity_0_cxx.cxx.o"
}
]
EOF
whole() {
    printf '#include <vector>\nnamespace { int twice(int x) { return 2 * x; } }\nint a() { return twice(std::vector<int>{1}.size()); }\n' \
        > "$tmp/tree/core/A.cpp"
    printf '#include <vector>\nnamespace { int half(int x) { return x / 2; } }\nint b() { return half(std::vector<int>{2}.size()); }\n' \
        > "$tmp/tree/core/B.cpp"
    # Outside the folders checked: compiles only in its batch, and is let be.
    printf 'int c() { return twice(3); }\n' > "$tmp/tree/grid/C.cpp"
}
expect() {
    # Each case from scratch: a file rewritten within the clock's tick of
    # its last check would look checked.
    rm -rf "$tmp/build/check-alone"
    "$check" "$tmp/build" 2 "$tmp/tree" "${3:-core}" >/dev/null 2>&1
    [ $? -eq "$1" ] || fail "$2"
}
whole
"$cxx" -std=c++20 -fsyntax-only "$tmp/build/Unity/unity_0_cxx.cxx" || fail "the small tree's batch does not compile"
expect 0 "whole files are refused"
expect 1 "a folder named is not checked" "core;grid"
printf 'int b() { return std::vector<int>{2}.size(); }\n' > "$tmp/tree/core/B.cpp"
"$cxx" -std=c++20 -fsyntax-only "$tmp/build/Unity/unity_0_cxx.cxx" || fail "the batch with the bare file does not compile"
expect 1 "a file lacking an include is let pass"
whole
expect 0 "a file made whole again is refused"
printf '#include <vector>\nint b() { return twice(std::vector<int>{2}.size()); }\n' > "$tmp/tree/core/B.cpp"
expect 1 "a file using another's anonymous helper is let pass"
echo "unity check: all cases as expected"
