#!/bin/bash
# Fails when a type-record offset is written anywhere but the schema header
# (core/api/TypeRecords.h): a field built from a number, a record's bytes
# read by address, the raw offset accessors, or an offset constant named
# after a record kind. The schema's own test may build fields from numbers:
# it holds the schema to the stored format.
# Usage: check-record-offsets.sh [tree]   (default: the repository this script is in)
set -u
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root" || { echo "check-record-offsets: no tree at $root" >&2; exit 2; }

schema="core/api/TypeRecords.h"
[ -f "$schema" ] || { echo "check-record-offsets: $schema is missing" >&2; exit 2; }
allowed="^(\./)?(core/api/TypeRecords\.h|tests/core/model/TypeRecordsTest\.cpp):"

dirs=()
for d in core app grid platform tests fuzz; do
    [ -d "$d" ] && dirs+=("$d")
done

patterns=(
    # a schema field built from a number
    '\b(records::)?(U8|U16|U32|Font|Chars|Words|Field<[^>]*>)[[:space:]]*\{[[:space:]]*(0x)?[0-9~]'
    '\b(records::)?(U8|U16|U32|Font|Chars|Words|Field<[^>]*>)[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*(\{|=[[:space:]]*\{?)[[:space:]]*(0x)?[0-9~]'
    # the record's bytes taken by address, or the raw accessors
    'TypeRecord->(data|u8|u16|u32|font|setU8|setU16|setU32|setFont)\('
    # an offset constant named after a record kind
    '\b(SL|RT|TG|PIC|PICTURE|IMAGE|TEXTGIF|CLOCK|CLOCKDIGIT|CLOCKSIMUL|COUNTER|COUNT|GRID|TABLE|SINGLELINE)_[A-Z0-9_]+[[:space:]]*=[[:space:]]*[0-9]'
    '\bk(Gif|TextGif|Text|Pic|Picture|Image|Clock|Analog|Digital|Counter|Count|Line|SingleLine|Rich|Record)[A-Za-z0-9_]*(Field|Offset|Mode|Path|Frames|Delays|Style|Repeat|Interval|Effect|Colour|Color|Font)[[:space:]]*=[[:space:]]*[0-9]'
)

found=0
for p in "${patterns[@]}"; do
    hits=$(grep -rnE --include='*.h' --include='*.cpp' "$p" "${dirs[@]}" 2>/dev/null | grep -vE "$allowed")
    if [ -n "$hits" ]; then
        echo "$hits"
        found=1
    fi
done
if [ "$found" -ne 0 ]; then
    echo "check-record-offsets: type-record offsets outside $schema (use its fields)" >&2
    exit 1
fi
echo "check-record-offsets: no type-record offset outside $schema"
