#!/bin/bash
# Fails when the program (app/) includes anything of the core but its public
# headers (core/api/), or when a public header includes an internal one
# (core/model, core/link, core/render): the public headers stand alone. The
# program reaches the core through libSorvane.so, which exports only what
# core/api declares. Tests, the windows' too, may reach the internals they
# simulate.
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
echo "check-includes: the program includes only core/api/ of the core"
