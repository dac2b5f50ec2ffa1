#!/bin/bash
# The include check passes on the tree, refuses every include of a core
# internal from the program or from a public header and passes the public
# headers, refuses a core folder including one above it (api < model <
# render < link < lib) while passing each including those below, and refuses an app folder including one above or beside it while
# passing the real order, and a spine that names a window folder's class, in
# a small tree of its own.
set -u
repo="$1"
check="$repo/scripts/check-includes.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$check" "$repo" >/dev/null || fail "the program includes core internals"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/core/api" "$tmp/core/model" "$tmp/core/render" "$tmp/core/link" "$tmp/core/lib" "$tmp/tests/app/panels" "$tmp/tests/core"
for d in shell dialogs panels preview editor controls tooltips gridwin spine; do mkdir -p "$tmp/app/$d"; done
clean() {
    rm -f "$tmp/app/panels/Panel.h"
    printf '#pragma once\n#include "core/api/Records.h"\n#include <QString>\n' > "$tmp/core/api/Core.h"
    # Each core folder includes itself and the folders below it.
    printf '#include "core/model/Tree.h"\n#include "core/api/Core.h"\n#include "platform/LangPack.h"\n' > "$tmp/core/model/Tree.cpp"
    printf '#include "core/render/Painters.h"\n#include "../model/Tree.h"\n#include "core/api/Core.h"\n#include "grid/GridPainter.h"\n' \
        > "$tmp/core/render/Painters.cpp"
    printf '#include "core/link/Frame.h"\n#include "core/render/Painters.h"\n#include <core/model/Tree.h>\n' > "$tmp/core/link/Frame.cpp"
    printf '#include "core/link/Frame.h"\n#include "core/render/Painters.h"\n#include "core/model/Tree.h"\n#include "core/api/Core.h"\n' \
        > "$tmp/core/lib/Sorvane.cpp"
    printf '#include "core/api/Core.h"\n#include "grid/RealGrid.h"\n#include "platform/LangPack.h"\n#include <QWidget>\n' \
        > "$tmp/app/panels/Panel.cpp"
    # Tests may reach what they simulate.
    printf '#include "core/api/Nodes.h"\n#include "core/link/SerialPorts.h"\n' > "$tmp/tests/app/panels/PanelTest.cpp"
    printf '#include "core/model/ItemData.h"\n' > "$tmp/tests/core/CoreTest.cpp"
    # Each folder includes itself and every folder it may, down the order.
    printf '#include "app/shell/MainFrame.h"\n#include "app/dialogs/task/TaskDlg.h"\n#include "app/panels/PanelBase.h"\n#include "app/preview/PreView.h"\n#include "app/editor/Led.h"\n#include "app/controls/Edits.h"\n#include "app/tooltips/HtmlToolTip.h"\n#include "app/gridwin/GridWindow.h"\n#include "app/spine/Messages.h"\n' \
        > "$tmp/app/shell/Shell.cpp"
    printf '#include "app/dialogs/Dlg.h"\n#include "app/panels/PanelBase.h"\n#include "../editor/Led.h"\n#include "app/spine/Messages.h"\n' \
        > "$tmp/app/dialogs/Dlg.cpp"
    printf '#include "app/preview/PreView.h"\n#include "app/editor/Led.h"\n#include "app/gridwin/GridWindow.h"\n' >> "$tmp/app/panels/Panel.cpp"
    printf '#include "app/preview/Players.h"\n#include "app/editor/Led.h"\n#include "app/tooltips/HtmlToolTip.h"\n' > "$tmp/app/preview/PreView.cpp"
    printf '#include "Led.h"\n#include "app/controls/Edits.h"\n#include "app/tooltips/HtmlToolTip.h"\n#include "app/gridwin/GridWindow.h"\n#include "app/spine/Messages.h"\n' \
        > "$tmp/app/editor/Led.cpp"
    printf '#include "app/controls/Edits.h"\n#include "app/spine/Messages.h"\n#include "platform/MessageEvent.h"\n' > "$tmp/app/controls/Edits.cpp"
    printf '#include "app/tooltips/HtmlDrawer.h"\n#include "app/controls/Edits.h"\n#include "app/spine/Messages.h"\n' > "$tmp/app/tooltips/HtmlToolTip.cpp"
    printf '#include "app/gridwin/GridWindow.h"\n#include "app/controls/Edits.h"\n#include "grid/RealGrid.h"\n' > "$tmp/app/gridwin/GridWindow.cpp"
    printf '#include "app/spine/Messages.h"\n#include "platform/MessageEvent.h"\n#include "core/api/Core.h"\n' > "$tmp/app/spine/CoreRelay.cpp"
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
expect_refused core/api/Core.h '#include "../model/Tree.h"'
# A core folder including one above it.
expect_refused core/model/Tree.cpp '#include "core/render/Painters.h"'
expect_refused core/model/Tree.cpp ' #  include <core/link/Frame.h>'
expect_refused core/model/Tree.cpp '#include "../render/ContentCompiler.h"'
expect_refused core/render/Painters.cpp '#include "core/link/CommSession.h"'
expect_refused core/render/Painters.cpp '#include "../../core/link/Frame.h"'
expect_refused core/link/Frame.cpp '#include "core/lib/Sorvane.h"'
# An app folder including one above it, or one beside it that it may not.
expect_refused app/panels/Panel.cpp '#include "app/dialogs/task/TaskDlg.h"'
expect_refused app/panels/Panel.cpp '#include "../shell/MainFrame.h"'
expect_refused app/preview/PreView.cpp '#include <app/panels/PanelBase.h>'
expect_refused app/editor/Led.cpp '#include "app/preview/PreView.h"'
expect_refused app/editor/Led.cpp '  #  include "../../app/shell/MenuEx.h"'
expect_refused app/dialogs/Dlg.cpp '#include "app/shell/MainFrame.h"'
expect_refused app/controls/Edits.cpp '#include "app/editor/Led.h"'
expect_refused app/controls/Edits.cpp '#include "app/tooltips/HtmlToolTip.h"'
expect_refused app/controls/Edits.cpp '#include "app/gridwin/GridWindow.h"'
expect_refused app/tooltips/HtmlToolTip.cpp '#include "app/gridwin/GridWindow.h"'
expect_refused app/gridwin/GridWindow.cpp '#include "app/tooltips/HtmlDrawer.h"'
expect_refused app/gridwin/GridWindow.cpp '#include "app/editor/Led.h"'
expect_refused app/spine/CoreRelay.cpp '#include "app/controls/ControlMessages.h"'
expect_refused app/spine/CoreRelay.cpp '#include "../panels/LedWorkModes.h"'
# The spine names no class of a window folder, even declared ahead.
expect_refused app/spine/CoreRelay.cpp 'namespace panels { class DocumentConverter; }'
expect_refused app/spine/CoreRelay.cpp 'using Done = Msg<1, const preview::CPlayElement*>;'
echo "include check: all cases as expected"
