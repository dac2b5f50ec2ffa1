#!/bin/bash
# The export check passes on the built library and program, and refuses a
# map naming a whole namespace and a library exporting what neither core/api
# declares nor the program uses, in a small tree with a library and a
# program of its own.
# Usage: check_exports_test.sh repo compiler [library program]
set -u
repo="$1"
cxx="$2"
library="${3:-}"
program="${4:-}"
check="$repo/scripts/check-exports.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ -n "$library" ]; then
    "$check" "$repo" "$library" "$program" >/dev/null || fail "the built library exports more than its interface"
else
    "$check" "$repo" >/dev/null || fail "the export map names a whole namespace"
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/core/api" "$tmp/core/lib" "$tmp/core/model" "$tmp/app"
cat > "$tmp/core/api/Facade.h" <<'EOF'
#pragma once
#define SORVANE_API __attribute__((visibility("default")))
class SORVANE_API Facade {
public:
    int run();
    int spare();
};
SORVANE_API int helper();
namespace records {
SORVANE_API int field();
}
EOF
cat > "$tmp/core/model/Lib.cpp" <<'EOF'
#include "core/api/Facade.h"
namespace sorvane::model {
int internal() { return 1; }
}
namespace extra {
__attribute__((visibility("default"))) int used() { return 2; }
__attribute__((visibility("default"))) int unused() { return 3; }
struct __attribute__((visibility("default"))) Tool {
    int take();
    int spare();
};
int Tool::take() { return 7; }
int Tool::spare() { return 8; }
struct __attribute__((visibility("default"))) Idle {
    int wait();
};
int Idle::wait() { return 9; }
}
int Facade::run() { return sorvane::model::internal(); }
int Facade::spare() { return 4; }
int helper() { return 5; }
int records::field() { return 6; }
EOF
cat > "$tmp/app/Main.cpp" <<'EOF'
#include "core/api/Facade.h"
namespace extra {
int used();
struct Tool {
    int take();
};
}
int main() { Facade f; extra::Tool t; return f.run() + extra::used() + t.take(); }
EOF
good='{
  global:
    /* the interface */
    _ZN6Facade*;
    _Z6helperv; _ZN7records5fieldEv;
    /* what the program uses: a function, and a class whose members it takes */
    _ZN5extra4usedEv;
    _ZN5extra4Tool*;
  local:
    *;
};'
"$cxx" -c -fPIC -fvisibility=hidden -I"$tmp" "$tmp/core/model/Lib.cpp" -o "$tmp/lib.o" || fail "the small library does not compile"
"$cxx" -c -I"$tmp" "$tmp/app/Main.cpp" -o "$tmp/main.o" || fail "the small program does not compile"

# Links the small library with a map, then checks it with the program.
link_library() {
    printf '%s\n' "$1" > "$tmp/core/lib/Sorvane.map"
    "$cxx" -shared -Wl,--version-script="$tmp/core/lib/Sorvane.map" "$tmp/lib.o" -o "$tmp/libSmall.so" \
        || fail "the small library does not link"
}
run_check() {
    link_library "$1"
    "$check" "$tmp" "$tmp/libSmall.so" "$tmp/program" >/dev/null 2>&1
}
# The program is linked once: every map below exports what it needs.
link_library "$good"
"$cxx" "$tmp/main.o" -L"$tmp" -lSmall -o "$tmp/program" || fail "the small program does not link"
run_check "$good" || fail "a narrow map is refused"
"$check" "$tmp" >/dev/null 2>&1 || fail "a narrow map is refused without a build"

expect_refused() {
    local map="${good/_ZN5extra4usedEv;/_ZN5extra4usedEv; $1}"
    run_check "$map" && fail "not refused: $1"
    true
}
expect_refused '_ZN5extra*;'                    # a whole namespace
expect_refused '_ZTVN5extra*;'
expect_refused '_ZN7sorvane5model*;'            # a nested one
expect_refused '_ZN7sorvane*;'
expect_refused '_ZN*;'                          # nothing narrower than the library
expect_refused '*;'
expect_refused '_ZN5extra6unusedEv;'            # exported, neither interface nor used
expect_refused '_ZN5extra7missingEv;'           # listed, not in the library
expect_refused '_ZN5extra4Idle*;'               # a class the program does not use
# The namespace of the interface's free functions is no class either.
run_check "${good/_ZN7records5fieldEv;/_ZN7records*;}" && fail "not refused: _ZN7records*;"
echo "export check: all cases as expected"
