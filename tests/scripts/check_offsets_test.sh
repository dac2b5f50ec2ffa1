#!/bin/bash
# The record-offset check passes on the tree and fails on each kind of
# offset written outside the schema, in a small tree of its own.
set -u
repo="$1"
check="$repo/scripts/check-record-offsets.sh"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$check" "$repo" >/dev/null || fail "the tree itself has offsets outside the schema"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/core/api" "$tmp/app/panels" "$tmp/tests/core/model"
cp "$repo/core/api/TypeRecords.h" "$tmp/core/api/"
echo 'auto f = records::U32{12};' > "$tmp/tests/core/model/TypeRecordsTest.cpp"
"$check" "$tmp" >/dev/null || fail "a clean tree is refused"

expect_refused() {
    echo "$1" > "$tmp/app/panels/Panel.cpp"
    "$check" "$tmp" >/dev/null 2>&1 && fail "not refused: $1"
    rm "$tmp/app/panels/Panel.cpp"
}
expect_refused 'const auto c = item->Item.TypeRecord->get(records::U32{100});'
expect_refused 'constexpr records::U32 Colour{100};'
expect_refused 'static const records::Field<std::uint16_t> Effect = {0};'
expect_refused 'const std::uint8_t* p = node->Item.TypeRecord->data() + 8;'
expect_refused 'item->Item.TypeRecord->setU32(100, 0xFF);'
expect_refused 'constexpr std::size_t SL_COLOUR = 100;'
expect_refused 'constexpr std::size_t kGifMode = 4, kGifPath = 8;'
expect_refused 'inline constexpr std::size_t kGifFramesField = 4;'
expect_refused 'constexpr program::U32 PlayTime{0};'
expect_refused 'const auto at = program::scene::Tag{16};'
# The compiler writes the program's records through their schema only.
mkdir -p "$tmp/core/render"
cp "$repo/core/render/ProgramSchema.h" "$tmp/core/render/"
for line in 'put16(p, 52, 42500);' 'bytes::put32(d.data(), 0x0C, at);' 'const auto v = get32(r, 720);'; do
    echo "$line" > "$tmp/core/render/ContentCompiler.cpp"
    "$check" "$tmp" >/dev/null 2>&1 && fail "not refused in the compiler: $line"
done
rm -f "$tmp/core/render/ContentCompiler.cpp"
# So do the border record and the clock and counter device records.
for file in FrameRender DeviceRecords; do
    echo 'bytes::put16(p, 4, 3);' > "$tmp/core/render/$file.cpp"
    "$check" "$tmp" >/dev/null 2>&1 && fail "not refused in $file.cpp"
    rm -f "$tmp/core/render/$file.cpp"
done
echo 'put(p, program::scene::Signature, program::scene::SignatureValue); bytes::put32(out, 4 * i, page[i]);' \
    > "$tmp/core/render/ContentCompiler.cpp"
"$check" "$tmp" >/dev/null || fail "a program field or a word index is refused"
rm -f "$tmp/core/render/ContentCompiler.cpp"
# A field of the schema, and a number that is no field, pass.
echo 'item->Item.TypeRecord->set(records::singleline::Colour, 100); int n{3};' > "$tmp/app/panels/Panel.cpp"
"$check" "$tmp" >/dev/null || fail "a schema field is refused"
rm -f "$tmp/core/api/TypeRecords.h"
"$check" "$tmp" >/dev/null 2>&1 && fail "a tree without the schema passes"
echo "record-offset check: all cases as expected"
