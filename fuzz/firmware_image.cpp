// "update.dat" decoding and the record split of a decoded image. Decoding
// reads nothing past the text, skips white space, takes a tag of letters and
// digits in the first four other characters and hexadecimal digits after it,
// and gives one byte per two of them, each the value of its two digits; any
// other character or an odd count refuses the text. A split either takes
// records that tile the image exactly, or refuses the image and keeps nothing.
#include "core/link/FirmwareImage.h"
#include "fuzz/FuzzCheck.h"

#include <cctype>
#include <vector>

using namespace sorvane::link;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> text(data, data + size);
    std::vector<std::uint8_t> digits;
    for (std::uint8_t c : text)
        if (c != '\r' && c != '\n' && c != ' ' && c != '\t')
            digits.push_back(c);
    bool readable = digits.size() % 2 == 0;
    for (std::size_t i = 0; i < digits.size(); ++i)
        readable = readable && (i < kFirmwareTagLength ? std::isalnum(digits[i]) != 0 : std::isxdigit(digits[i]) != 0);
    std::vector<std::uint8_t> out(size / 2 + 1, 0xA5);
    const std::size_t n = DecodeFirmwareText(text.data(), text.size(), out.data());
    if (size > 0) {
        FUZZ_CHECK((n != kNotFirmwareText) == readable, "only firmware text decodes");
    }
    const std::vector<std::uint8_t> image = DecodeFirmwareText(text.data(), text.size());
    if (readable && size > 0) {
        FUZZ_CHECK(n == digits.size() / 2 && image.size() == n, "two characters make one byte, white space none");
        for (std::size_t i = 0; i < image.size(); ++i)
            FUZZ_CHECK(image[i] == ((FirmwareDigitValue(digits[2 * i]) << 4) | FirmwareDigitValue(digits[2 * i + 1])),
                       "each byte is the value of its two digits");
    } else {
        FUZZ_CHECK(image.empty(), "a refused text gives no image");
    }

    // The raw bytes as an image: records tile it exactly, or it is refused whole.
    std::vector<FirmwareRecord> records{{1, 2}};
    if (SplitFirmwareRecords(text.data(), text.size(), records)) {
        std::size_t at = 0;
        for (const FirmwareRecord& r : records) {
            FUZZ_CHECK(r.offset == at, "records follow each other");
            FUZZ_CHECK(r.size >= 2 && r.size <= text.size() - at, "a record lies inside the image");
            FUZZ_CHECK(r.size == 2u + (std::size_t(text[at]) << 8 | text[at + 1]), "the length prefix is big-endian");
            at += r.size;
        }
        FUZZ_CHECK(at == text.size(), "the records cover the whole image");
    } else {
        FUZZ_CHECK(records.empty(), "a refused image keeps no records");
    }
    return 0;
}
