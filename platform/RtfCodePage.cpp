#include "platform/RtfCodePage.h"

#include "platform/CodePage.h"

#include <QStringDecoder>
#include <optional>

namespace platform {

int codePageForCharset(int charset, int ansiCodePage)
{
    switch (charset) {
    case 0: return 1252; // ANSI is Western, whatever the document's own page
    case 1: return ansiCodePage > 0 ? ansiCodePage : platform::ansiCodePage();
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
    default: return ansiCodePage > 0 ? ansiCodePage : platform::ansiCodePage();
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
    const std::u16string text = decodeBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), codePage);
    return QString::fromStdU16String(text);
}

bool encodeCodePage(const QString& text, int codePage, QByteArray* out)
{
    out->clear();
    bool exact = true;
    const std::string bytes = encodeText(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())), codePage, &exact);
    if (!exact)
        return false;
    *out = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return true;
}

namespace {

// UTF-16 saved without its mark: text of mostly Latin letters has a NUL in
// every other byte, in the high half of each unit and almost never in the
// low one. Other texts hold no NULs of that pattern.
std::optional<QStringDecoder::Encoding> unmarkedUtf16(const QByteArray& bytes)
{
    const qsizetype units = bytes.size() / 2;
    if (units == 0 || bytes.size() % 2 != 0)
        return std::nullopt;
    qsizetype evenNuls = 0, oddNuls = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        evenNuls += bytes[i] == 0;
        oddNuls += bytes[i + 1] == 0;
    }
    const auto pattern = [units](qsizetype high, qsizetype low) { return high * 5 >= units * 2 && low * 20 <= units; };
    if (pattern(oddNuls, evenNuls))
        return QStringDecoder::Utf16LE;
    if (pattern(evenNuls, oddNuls))
        return QStringDecoder::Utf16BE;
    return std::nullopt;
}

} // namespace

QString decodePlainText(const QByteArray& bytes)
{
    // A byte-order mark names the form; it is no part of the text.
    static const struct {
        const char* mark;
        qsizetype size;
        QStringDecoder::Encoding encoding;
    } marks[] = {
        {"\xFF\xFE\0\0", 4, QStringDecoder::Utf32LE}, // before UTF-16 LE, whose mark starts it
        {"\0\0\xFE\xFF", 4, QStringDecoder::Utf32BE},
        {"\xEF\xBB\xBF", 3, QStringDecoder::Utf8},
        {"\xFF\xFE", 2, QStringDecoder::Utf16LE},
        {"\xFE\xFF", 2, QStringDecoder::Utf16BE},
    };
    for (const auto& m : marks) {
        if (bytes.startsWith(QByteArrayView(m.mark, m.size))) {
            QStringDecoder decoder(m.encoding, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            return decoder.decode(QByteArrayView(bytes).sliced(m.size));
        }
    }
    if (const auto form = unmarkedUtf16(bytes)) {
        QStringDecoder decoder(*form, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes);
        if (!decoder.hasError())
            return text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString s = utf8.decode(bytes);
    if (!utf8.hasError())
        return s;
    return decodeCodePage(bytes, ansiCodePage());
}

} // namespace platform
