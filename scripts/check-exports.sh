#!/bin/bash
# Fails when the shared library exports more than its interface:
#  - a pattern of the export map (core/lib/Sorvane.map) names a whole
#    namespace (or nothing narrower than the whole library);
#  - with a built library and program: a symbol the library exports is
#    neither declared SORVANE_API in core/api nor taken by the program nor a
#    member of a class the program takes members of, or the map lists a
#    symbol the library does not define.
# Usage: check-exports.sh [tree [library program]]
#   tree: the repository (default: the one this script is in)
#   library, program: libSorvane.so and the program built from app/
set -u
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
library="${2:-}"
program="${3:-}"
cd "$root" || { echo "check-exports: no tree at $root" >&2; exit 2; }
map="core/lib/Sorvane.map"
[ -f "$map" ] || { echo "check-exports: $map is missing" >&2; exit 2; }
[ -d core/api ] || { echo "check-exports: core/api is missing" >&2; exit 2; }

failed=0
complain() { echo "check-exports: $*" >&2; failed=1; }

srcdirs=()
for d in core grid platform app; do
    [ -d "$d" ] && srcdirs+=("$d")
done

# Every name the sources declare a namespace of.
namespaces=$(grep -rhoE --include='*.h' --include='*.cpp' '^[[:space:]]*namespace[[:space:]]+[A-Za-z_][A-Za-z0-9_:]*' \
    "${srcdirs[@]}" | awk '{print $2}' | tr ':' '\n' | grep -v '^$' | sort -u)
is_namespace() { grep -qxF "$1" <<< "$namespaces"; }

# The global patterns of the map, one a line, comments dropped.
patterns=$(sed -e 's|/\*.*\*/||g' "$map" | sed -e '/\/\*/,/\*\//d' \
    | awk '/global:/ {g = 1; sub(/.*global:/, "")} /local:/ {g = 0} g' \
    | tr ';' '\n' | sed -e 's/^[[:space:]]*//' -e 's/[[:space:]]*$//' | grep -v '^$' | grep -v '^[{}]')

exact=()
while IFS= read -r p; do
    [ -z "$p" ] && continue
    case "$p" in
    *'*'* | *'?'* | *'['*) ;;
    *) exact+=("$p"); continue ;;
    esac
    prefix="${p%%[*?[]*}"
    # The complete names at the start of a mangled prefix: _Z, then N or NK
    # or a vtable/typeinfo marker and N, then <length><name> ...
    rest=""
    case "$prefix" in
    _ZTVN* | _ZTIN* | _ZTSN*) rest="${prefix#_ZT?N}" ;;
    _ZNK*) rest="${prefix#_ZNK}" ;;
    _ZN*) rest="${prefix#_ZN}" ;;
    _ZTV* | _ZTI* | _ZTS*) rest="${prefix#_ZT?}" ;;
    _Z*) rest="${prefix#_Z}" ;;
    *)
        [ -z "$prefix" ] && complain "pattern '$p' exports everything"
        continue ;;
    esac
    names=()
    while [[ "$rest" =~ ^([0-9]+)(.*)$ ]]; do
        len="${BASH_REMATCH[1]}"
        tail="${BASH_REMATCH[2]}"
        [ "${#tail}" -lt "$len" ] && break
        names+=("${tail:0:$len}")
        rest="${tail:$len}"
    done
    if [ ${#names[@]} -eq 0 ]; then
        complain "pattern '$p' names no class or function: it exports whole namespaces"
    elif is_namespace "${names[-1]}"; then
        complain "pattern '$p' exports the whole namespace ${names[*]}"
    fi
done <<< "$patterns"

if [ -n "$library" ] || [ -n "$program" ]; then
    [ -f "$library" ] || { echo "check-exports: no library at $library" >&2; exit 2; }
    [ -f "$program" ] || { echo "check-exports: no program at $program" >&2; exit 2; }
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    nm -D --defined-only "$library" | awk 'NF >= 3 {print $3}' | sed 's/@.*//' | sort -u > "$tmp/exported"
    nm -D --undefined-only "$program" | awk '{print $NF}' | sed 's/@.*//' | sort -u > "$tmp/imported"
    [ -s "$tmp/exported" ] || { echo "check-exports: $library exports nothing" >&2; exit 2; }

    # What core/api declares SORVANE_API: classes ("X::" prefixes) and free
    # functions, with the namespace they are declared in.
    for h in core/api/*.h; do
        awk '
            /^[[:space:]]*namespace[[:space:]]+[A-Za-z_][A-Za-z0-9_:]*[[:space:]]*\{/ {
                n = $0; sub(/^[[:space:]]*namespace[[:space:]]+/, "", n); sub(/[[:space:]]*\{.*/, "", n)
                stack[++depth] = n
                if ($0 ~ /\}/) depth--
                next
            }
            /^\}[[:space:]]*(\/\/.*)?$/ { if (depth > 0) depth--; next }
            /SORVANE_API/ && !/#define/ {
                q = ""
                for (i = 1; i <= depth; i++) q = q stack[i] "::"
                if (match($0, /(class|struct)[[:space:]]+SORVANE_API[[:space:]]+[A-Za-z_][A-Za-z0-9_]*/)) {
                    s = substr($0, RSTART, RLENGTH); sub(/.*[[:space:]]/, "", s)
                    print "class " q s "::"
                } else if (match($0, /[A-Za-z_][A-Za-z0-9_]*[[:space:]]*\(/)) {
                    s = substr($0, RSTART, RLENGTH); sub(/[[:space:]]*\($/, "", s)
                    print "function " q s
                }
            }' "$h"
    done > "$tmp/api"

    # The classes the program takes members of: what stands before a taken
    # symbol's own name, unless that is a namespace.
    printf '%s\n' "$namespaces" > "$tmp/namespaces"
    comm -12 "$tmp/exported" "$tmp/imported" | c++filt > "$tmp/taken"

    comm -23 "$tmp/exported" "$tmp/imported" > "$tmp/unused"
    c++filt < "$tmp/unused" | paste - "$tmp/unused" | awk -F'\t' -v api="$tmp/api" -v ns="$tmp/namespaces" \
        -v taken="$tmp/taken" '
        function own(name) {
            sub(/^(vtable for |typeinfo name for |typeinfo for |non-virtual thunk to )/, "", name)
            sub(/\(.*/, "", name)
            gsub(/\[abi:cxx11\]/, "", name)
            return name
        }
        BEGIN {
            while ((getline line < api) > 0) { split(line, f, " "); kind[f[2]] = f[1] }
            while ((getline line < ns) > 0) isns[line] = 1
            while ((getline line < taken) > 0) {
                n = split(own(line), part, "::")
                if (n < 2 || (part[n - 1] in isns)) continue
                c = part[1]
                for (i = 2; i < n; i++) c = c "::" part[i]
                kind[c "::"] = "class"
            }
        }
        {
            name = own($1)
            ok = 0
            for (w in kind)
                if ((kind[w] == "class" && (index(name, w) == 1 || name "::" == w)) \
                    || (kind[w] == "function" && name == w)) { ok = 1; break }
            if (!ok) print "exported but neither declared in core/api nor used by the program: " name " (" $2 ")"
        }' > "$tmp/stray"
    if [ -s "$tmp/stray" ]; then
        sed 's/^/check-exports: /' "$tmp/stray" >&2
        failed=1
    fi

    for e in "${exact[@]}"; do
        grep -qxF "$e" "$tmp/exported" || complain "the map lists $e, which the library does not export"
    done
fi

if [ $failed -ne 0 ]; then
    echo "check-exports: narrow $map to what core/api declares and what the program uses" >&2
    exit 1
fi
echo "check-exports: the library exports its interface and what the program uses"
