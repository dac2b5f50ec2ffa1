#include "platform/CodePage.h"
#include "platform/Languages.h"

#include <atomic>
#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

std::atomic<int> g_ansiCodePage{1252};

const char* iconvName(int codePage)
{
    switch (codePage) {
    case 437: return "CP437";
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "GBK";
    case 949: return "CP949";
    case 950: return "BIG5";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    case 20127: return "ASCII";
    case 65001: return "UTF-8";
    default: return "CP1252";
    }
}

// One iconv descriptor for the length of a conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts until the input ends or a sequence cannot be converted;
    // false in the latter case, with `in` at that sequence.
    bool run(const char*& in, std::size_t& inLeft, std::string& out)
    {
        char buf[1024];
        while (inLeft > 0) {
            char* o = buf;
            std::size_t oLeft = sizeof buf;
            const std::size_t r = iconv(m_cd, const_cast<char**>(&in), &inLeft, &o, &oLeft);
            out.append(buf, static_cast<std::size_t>(o - buf));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
                return false;
        }
        flush(out);
        return true;
    }
    // Writes out what the converter holds back: a code page whose letters may
    // take a combining mark after them (1255, 1258) keeps the last letter
    // until it sees what follows. Returns to the initial state.
    void flush(std::string& out)
    {
        char buf[64];
        char* o = buf;
        std::size_t oLeft = sizeof buf;
        iconv(m_cd, nullptr, nullptr, &o, &oLeft);
        out.append(buf, static_cast<std::size_t>(o - buf));
    }

private:
    iconv_t m_cd;
};

} // namespace

int ansiCodePage() { return g_ansiCodePage.load(); }

void setAnsiCodePage(int codePage) { g_ansiCodePage.store(codePage > 0 ? codePage : 1252); }

int codePageForLanguage(int languageId) { return language(languageId).codePage; }

std::u16string decodeBytes(std::string_view bytes, int codePage)
{
    std::u16string result;
    // 936 reads as GB18030, its superset: its four-byte characters are text
    // too. GB18030 lacks GBK's one-byte euro sign, which is kept below.
    const bool chinese = codePage == 936;
    Converter conv("UTF-16LE", chinese ? "GB18030" : iconvName(codePage));
    if (!conv.ok()) {
        for (unsigned char c : bytes)
            result.push_back(c < 0x80 ? char16_t(c) : char16_t(0xFFFD));
        return result;
    }
    const char* in = bytes.data();
    std::size_t left = bytes.size();
    std::string out;
    while (!conv.run(in, left, out)) {
        conv.flush(out);
        if (chinese && static_cast<unsigned char>(*in) == 0x80)
            out.append("\xAC\x20", 2); // U+20AC
        else
            out.append("\xFD\xFF", 2); // U+FFFD, little-endian
        ++in;
        --left;
    }
    result.reserve(out.size() / 2);
    for (std::size_t i = 0; i + 1 < out.size(); i += 2)
        result.push_back(char16_t(static_cast<unsigned char>(out[i]) | (static_cast<unsigned char>(out[i + 1]) << 8)));
    return result;
}

std::string encodeText(std::u16string_view text, int codePage, bool* exact)
{
    if (exact)
        *exact = true;
    std::string input;
    input.reserve(text.size() * 2);
    for (char16_t c : text) {
        input.push_back(char(c & 0xFF));
        input.push_back(char(c >> 8));
    }
    std::string out;
    Converter conv(iconvName(codePage), "UTF-16LE");
    if (!conv.ok()) {
        for (char16_t c : text) {
            out.push_back(c < 0x80 ? char(c) : '?');
            if (c >= 0x80 && exact)
                *exact = false;
        }
        return out;
    }
    const char* in = input.data();
    std::size_t left = input.size();
    while (!conv.run(in, left, out)) {
        conv.flush(out);
        out.push_back('?');
        const std::size_t skip = left >= 2 ? 2 : left;
        in += skip;
        left -= skip;
        if (exact)
            *exact = false;
    }
    return out;
}

} // namespace platform
