#!/bin/bash
# Fails when the program (app/) includes anything of the core but its public
# headers (core/api/), when a core folder includes one above it (api, then
# model, render, link, lib: the public headers stand alone, the model paints
# and compiles nothing, render sends nothing), or when an app folder includes
# a folder above it. The program reaches the core through libSorvane.so,
# which exports only what core/api declares. Tests, the windows' too, may
# reach the internals they simulate.
# The app folders' order, top to bottom: shell, dialogs, panels, preview,
# editor, then controls, tooltips and gridwin side by side (tooltips and
# gridwin may include controls), then spine, which includes no app folder
# and names none of their classes.
# Usage: check-includes.sh [tree]   (default: the repository this script is in)
set -u
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root" || { echo "check-includes: no tree at $root" >&2; exit 2; }
[ -d core/api ] || { echo "check-includes: core/api is missing" >&2; exit 2; }

# Prints each include, in the folders of $1 (core or app), of a folder above
# the including one. $2: "folder:rank ...", the lower the rank the lower the
# folder; a folder includes its own and those of a lower rank, and, of its
# own rank, those $3 names ("from>to ..."). "top/x/...", "../x/..." and
# "../../top/x/..." all name folder x.
upward_includes() {
    grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$1" 2>/dev/null \
        | awk -v top="$1" -v ranks="$2" -v beside="${3:-}" '
BEGIN {
    split(ranks, kv, " ")
    for (i in kv) { split(kv[i], p, ":"); rank[p[1]] = p[2] }
    split(beside, bv, " ")
    for (i in bv) allowed[bv[i]] = 1
}
{
    file = $0; sub(/:.*/, "", file)
    split(file, parts, "/"); from = parts[2]
    path = $0; sub(/^[^:]*:[^:]*:/, "", path)
    sub(/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]/, "", path); sub(/[">].*/, "", path)
    if (substr(path, 1, length(top) + 1) != top "/" && path !~ /^\.\.\//) next
    rel = path; sub(/^(\.\.\/)+/, "", rel)
    if (substr(rel, 1, length(top) + 1) == top "/") rel = substr(rel, length(top) + 2)
    if (index(rel, "/") == 0) next
    to = substr(rel, 1, index(rel, "/") - 1)
    if (from == to || !(from in rank) || !(to in rank)) next
    if (rank[to] < rank[from] || (from ">" to) in allowed) next
    print file ": " top "/" from " includes " top "/" to " (" path ")"
}'
}

# The core's floors, bottom to top.
upward=$(upward_includes core "api:0 model:1 render:2 link:3 lib:4")
if [ -n "$upward" ]; then
    echo "$upward"
    if echo "$upward" | grep -q '^core/api/'; then
        echo "check-includes: a public header includes core internals" >&2
    fi
    echo "check-includes: a core folder includes one above it (api < model < render < link < lib)" >&2
    exit 1
fi

dirs=()
for d in app; do
    [ -d "$d" ] && dirs+=("$d")
done
[ ${#dirs[@]} -gt 0 ] || { echo "check-includes: no app/ to check"; exit 0; }

hits=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](\.\./)*core/' "${dirs[@]}" 2>/dev/null \
    | grep -vE '#[[:space:]]*include[[:space:]]*[<"](\.\./)*core/api/')
if [ -n "$hits" ]; then
    echo "$hits"
    echo "check-includes: the program includes core internals; include core/api/ instead" >&2
    exit 1
fi

# The app folders, top to bottom; tooltips and gridwin may include controls.
upward=$(upward_includes app "shell:6 dialogs:5 panels:4 preview:3 editor:2 controls:1 tooltips:1 gridwin:1 spine:0" \
    "tooltips>controls gridwin>controls")
if [ -n "$upward" ]; then
    echo "$upward"
    echo "check-includes: an app folder includes a folder above it or beside it" >&2
    exit 1
fi
# The spine lies below every window folder: it names none of their classes,
# not even by a forward declaration.
named=$(grep -rnE '(namespace[[:space:]]+(controls|tooltips|grid|editor|preview|panels|dialogs|shell)\b|\b(controls|tooltips|grid|editor|preview|panels|dialogs|shell)::)' app/spine 2>/dev/null)
if [ -n "$named" ]; then
    echo "$named"
    echo "check-includes: the spine names a class of a window folder" >&2
    exit 1
fi
echo "check-includes: the program includes only core/api/ of the core, and core and app folders only those below them"
