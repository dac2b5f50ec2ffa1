#!/bin/bash
# The include check passes on the tree, refuses every include of a core
# internal from the program or from a public header and passes the public
# headers, in a small tree of its own.
set -u
repo="$1"
check="$repo/scripts/check-includes.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$check" "$repo" >/dev/null || fail "the program includes core internals"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/core/api" "$tmp/app/panels" "$tmp/tests/app/panels" "$tmp/tests/core"
clean() {
    rm -f "$tmp/app/panels/Panel.h"
    printf '#pragma once\n#include "core/api/Records.h"\n#include <QString>\n' > "$tmp/core/api/Core.h"
    printf '#include "core/api/Core.h"\n#include "grid/RealGrid.h"\n#include "platform/LangPack.h"\n#include <QWidget>\n' \
        > "$tmp/app/panels/Panel.cpp"
    # Tests may reach what they simulate.
    printf '#include "core/api/Nodes.h"\n#include "core/link/SerialPorts.h"\n' > "$tmp/tests/app/panels/PanelTest.cpp"
    printf '#include "core/model/ItemData.h"\n' > "$tmp/tests/core/CoreTest.cpp"
}
clean
"$check" "$tmp" >/dev/null || fail "a clean tree is refused"

expect_refused() {
    clean
    echo "$2" >> "$tmp/$1"
    "$check" "$tmp" >/dev/null 2>&1 && fail "not refused in $1: $2"
}
expect_refused app/panels/Panel.cpp '#include "core/model/ItemData.h"'
expect_refused app/panels/Panel.cpp '#include "core/link/CommSession.h"'
expect_refused app/panels/Panel.cpp '#include "core/render/ClockText.h"'
expect_refused app/panels/Panel.cpp '  #  include <core/model/Core.h>'
expect_refused app/panels/Panel.cpp '#include "../../core/model/Core.h"'
expect_refused app/panels/Panel.h '#include "core/lib/Sorvane.h"'
expect_refused core/api/Core.h '#include "core/model/ItemData.h"'
expect_refused core/api/Core.h '#include "core/link/CommSession.h"'
expect_refused core/api/Core.h ' # include <core/render/WorkMode.h>'
echo "include check: all cases as expected"
