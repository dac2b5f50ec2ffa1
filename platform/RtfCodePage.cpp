#include "platform/RtfCodePage.h"

#include <QStringDecoder>
#include <atomic>
#include <iconv.h>
#include <cerrno>
#include <vector>

namespace platform {
namespace {

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
    default: return nullptr;
    }
}

// Holds one iconv descriptor for the duration of a conversion.
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
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

} // namespace

int codePageForCharset(int charset, int ansiCodePage)
{
    switch (charset) {
    case 0:
    case 1: return ansiCodePage > 0 ? ansiCodePage : 1252;
    case 2: return 1252; // symbol fonts: bytes are glyph indexes
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 437;
    default: return ansiCodePage > 0 ? ansiCodePage : 1252;
    }
}

int charsetForCodePage(int codePage)
{
    switch (codePage) {
    case 932: return 128;
    case 949: return 129;
    case 1361: return 130;
    case 936: return 134;
    case 950: return 136;
    case 1253: return 161;
    case 1254: return 162;
    case 1258: return 163;
    case 1255: return 177;
    case 1256: return 178;
    case 1257: return 186;
    case 1251: return 204;
    case 874: return 222;
    case 1250: return 238;
    default: return 0;
    }
}

QString decodeCodePage(const QByteArray& bytes, int codePage)
{
    if (bytes.isEmpty())
        return {};
    const char* name = iconvName(codePage);
    Converter cv("UTF-16LE", name ? name : "CP1252");
    if (!cv.ok())
        return QString::fromLatin1(bytes);

    QString result;
    std::vector<char> out(static_cast<size_t>(bytes.size()) * 4 + 8);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char* o = out.data();
        size_t oLeft = out.size();
        size_t r = iconv(cv.get(), &in, &inLeft, &o, &oLeft);
        result += QString::fromUtf16(reinterpret_cast<const char16_t*>(out.data()),
                                     static_cast<qsizetype>((out.size() - oLeft) / 2));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // An invalid or cut-off sequence: one replacement per byte, go on.
            result += QChar(QChar::ReplacementCharacter);
            ++in;
            --inLeft;
            iconv(cv.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return result;
}

bool encodeCodePage(const QString& text, int codePage, QByteArray* out)
{
    out->clear();
    if (text.isEmpty())
        return true;
    const char* name = iconvName(codePage);
    Converter cv(name ? name : "CP1252", "UTF-16LE");
    if (!cv.ok())
        return false;
    std::vector<char> buf(static_cast<size_t>(text.size()) * 4 + 8);
    char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.constData()));
    size_t inLeft = static_cast<size_t>(text.size()) * 2;
    char* o = buf.data();
    size_t oLeft = buf.size();
    if (iconv(cv.get(), &in, &inLeft, &o, &oLeft) == static_cast<size_t>(-1))
        return false;
    out->append(buf.data(), static_cast<qsizetype>(buf.size() - oLeft));
    return true;
}

namespace {
std::atomic<int> g_ansiCodePage{1252};
}

int ansiCodePage()
{
    return g_ansiCodePage.load();
}

void setAnsiCodePage(int codePage)
{
    g_ansiCodePage.store(codePage > 0 ? codePage : 1252);
}

QString decodePlainText(const QByteArray& bytes)
{
    QByteArray b = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(b);
    if (!utf8.hasError())
        return s;
    return decodeCodePage(bytes, ansiCodePage());
}

} // namespace platform
