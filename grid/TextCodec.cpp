#include "grid/TextCodec.h"

#include <atomic>
#include <cerrno>
#include <iconv.h>
#include <string>

namespace grid {

namespace {

std::atomic<unsigned> g_codePage{1252};

std::string IconvName(unsigned cp)
{
    switch (cp) {
    case 936: return "GBK";
    case 950: return "BIG5";
    default: return "CP" + std::to_string(cp);
    }
}

class Converter {
public:
    Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter()
    {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != iconv_t(-1); }
    // Converts as much as possible; returns false on a bad input sequence,
    // leaving in/inLeft at it.
    bool run(char*& in, size_t& inLeft, std::string& out)
    {
        char buf[1024];
        while (inLeft > 0) {
            char* o = buf;
            size_t oLeft = sizeof buf;
            size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
            out.append(buf, size_t(o - buf));
            if (r == size_t(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }
    void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

}   // namespace

void SetAnsiCodePage(unsigned codePage) { g_codePage = codePage; }
unsigned AnsiCodePage() { return g_codePage; }

unsigned CodePageForLanguage(unsigned languageId)
{
    if (languageId == 4)
        return 936;
    if (languageId == 0x7C04)
        return 950;
    return 1252;
}

std::u16string AnsiToUtf16(std::string_view bytes, unsigned codePage)
{
    std::u16string result;
    Converter conv("UTF-16LE", IconvName(codePage));
    if (!conv.ok()) {
        for (unsigned char c : bytes)
            result.push_back(c < 0x80 ? char16_t(c) : char16_t(0xFFFD));
        return result;
    }
    std::string input(bytes);
    char* in = input.data();
    size_t left = input.size();
    std::string out;
    while (!conv.run(in, left, out)) {
        // An undecodable byte: mark it and go on after it.
        out.append("\xFD\xFF", 2);
        ++in;
        --left;
        conv.reset();
    }
    for (size_t i = 0; i + 1 < out.size(); i += 2)
        result.push_back(char16_t((unsigned char)out[i] | ((unsigned char)out[i + 1] << 8)));
    return result;
}

std::string Utf16ToAnsi(std::u16string_view text, unsigned codePage)
{
    std::string input;
    input.reserve(text.size() * 2);
    for (char16_t c : text) {
        input.push_back(char(c & 0xFF));
        input.push_back(char(c >> 8));
    }
    std::string out;
    Converter conv(IconvName(codePage), "UTF-16LE");
    if (!conv.ok()) {
        for (char16_t c : text)
            out.push_back(c < 0x80 ? char(c) : '?');
        return out;
    }
    char* in = input.data();
    size_t left = input.size();
    while (!conv.run(in, left, out)) {
        out.push_back('?');
        size_t skip = left >= 2 ? 2 : left;
        in += skip;
        left -= skip;
        conv.reset();
    }
    return out;
}

}   // namespace grid
