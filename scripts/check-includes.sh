#!/bin/bash
# Fails when the program (app/) includes anything of the core but its public
# headers (core/api/), when a public header includes an internal one
# (core/model, core/link, core/render): the public headers stand alone, or
# when an app folder includes a folder above it. The program reaches the core
# through libSorvane.so, which exports only what core/api declares. Tests, the
# windows' too, may reach the internals they simulate.
# The app folders' order, top to bottom: shell, dialogs, panels, preview,
# editor, then controls, tooltips and gridwin side by side (tooltips and
# gridwin may include controls), then spine, which includes no app folder
# and names none of their classes.
# Usage: check-includes.sh [tree]   (default: the repository this script is in)
set -u
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root" || { echo "check-includes: no tree at $root" >&2; exit 2; }
[ -d core/api ] || { echo "check-includes: core/api is missing" >&2; exit 2; }

inner=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](\.\./)*core/(model|link|render)/' core/api 2>/dev/null)
if [ -n "$inner" ]; then
    echo "$inner"
    echo "check-includes: a public header includes core internals" >&2
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

# A folder may include the folders of a lower rank; of its own rank only
# itself, save that tooltips and gridwin may include controls.
upward=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' app 2>/dev/null | awk '
BEGIN {
    split("shell:6 dialogs:5 panels:4 preview:3 editor:2 controls:1 tooltips:1 gridwin:1 spine:0", kv, " ")
    for (i in kv) { split(kv[i], p, ":"); rank[p[1]] = p[2] }
}
{
    file = $0; sub(/:.*/, "", file)
    split(file, parts, "/"); from = parts[2]
    path = $0; sub(/^[^:]*:[^:]*:/, "", path)
    sub(/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]/, "", path); sub(/[">].*/, "", path)
    # "app/x/...", "../x/..." and "../../app/x/..." all name folder x.
    if (path !~ /^(app\/|\.\.\/)/) next
    rel = path; sub(/^(\.\.\/)+/, "", rel); sub(/^app\//, "", rel)
    if (index(rel, "/") == 0) next
    to = substr(rel, 1, index(rel, "/") - 1)
    if (from == to || !(from in rank) || !(to in rank)) next
    if (rank[to] < rank[from]) next
    if (rank[to] == rank[from] && to == "controls" && (from == "tooltips" || from == "gridwin")) next
    print file ": " from " includes " to " (" path ")"
}')
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
echo "check-includes: the program includes only core/api/ of the core, and app folders only those below them"
