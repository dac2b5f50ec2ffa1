#!/bin/bash
# Fails when a type-record offset is written anywhere but the schema header
# (core/api/TypeRecords.h): a field built from a number, a record's bytes
# read by address, the raw offset accessors, or an offset constant named
# after a record kind. The schema's own test may build fields from numbers:
# it holds the schema to the stored format.
# Likewise for the controller program (core/render/ProgramSchema.h): no
# program field built from a number elsewhere, and the files that write the
# program's records write no byte at a bare offset.
# Usage: check-record-offsets.sh [tree]   (default: the repository this script is in)
set -u
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root" || { echo "check-record-offsets: no tree at $root" >&2; exit 2; }

schema="core/api/TypeRecords.h"
[ -f "$schema" ] || { echo "check-record-offsets: $schema is missing" >&2; exit 2; }
allowed="^(\./)?(core/api/TypeRecords\.h|core/render/ProgramSchema\.h|tests/core/model/TypeRecordsTest\.cpp):"
program="core/render/ProgramSchema.h"
# The files that write the controller program's records.
writers=(core/render/ContentCompiler.cpp core/render/PixelConvert.cpp core/render/FrameRender.cpp core/render/DeviceRecords.cpp)

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

# a program field built from a number
patterns+=('\bprogram::([a-z]+::)?(U8|U16|U32|Tag|Quad|Field<[^>]*>)[[:space:]]*[A-Za-z_]*[[:space:]]*(\{|=[[:space:]]*\{?)[[:space:]]*(0x)?[0-9~]')

found=0
if [ -f "$program" ]; then
    present=()
    for w in "${writers[@]}"; do
        [ -f "$w" ] && present+=("$w")
    done
    if [ "${#present[@]}" -gt 0 ]; then
        # a byte of a record put or read at a bare offset
        hits=$(grep -nE '\b(bytes::)?(put8|put16|put32|get16|get32)\([^,]+,[[:space:]]*(0x)?[0-9a-fA-F]+[[:space:]]*[,)]' "${present[@]}" 2>/dev/null)
        if [ -n "$hits" ]; then
            echo "$hits"
            found=1
        fi
    fi
fi
for p in "${patterns[@]}"; do
    hits=$(grep -rnE --include='*.h' --include='*.cpp' "$p" "${dirs[@]}" 2>/dev/null | grep -vE "$allowed")
    if [ -n "$hits" ]; then
        echo "$hits"
        found=1
    fi
done
if [ "$found" -ne 0 ]; then
    echo "check-record-offsets: record offsets outside $schema or $program (use their fields)" >&2
    exit 1
fi
echo "check-record-offsets: no record offset outside $schema and $program"
