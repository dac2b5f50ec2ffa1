// The language-pack reader. The first byte picks what reads the rest: one of
// the text tables, or the whole bundle (structure check, registration, every
// table). A refused bundle leaves the loaded tables as they were; a refused
// table says why.
#define FUZZ_WITH_QT_APP
#include "fuzz/FuzzCheck.h"
#include "platform/LangPack.h"
#include "platform/LangPackReader.h"

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > (1 << 20))
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    QString error;
    switch (data[0] % 5) {
    case 0: {
        QHash<unsigned, QString> s;
        if (!parseLangStrings(rest, &s, &error))
            FUZZ_CHECK(!error.isEmpty(), "a refused string table says why");
        break;
    }
    case 1: {
        QHash<quint32, QString> d;
        if (!parseLangDialogTexts(rest, &d, &error))
            FUZZ_CHECK(!error.isEmpty(), "a refused dialog table says why");
        break;
    }
    case 2: {
        QHash<unsigned, LangMenu> m;
        if (!parseLangMenus(rest, &m, &error)) {
            FUZZ_CHECK(!error.isEmpty(), "a refused menu table says why");
        } else {
            for (const LangMenu& menu : m)
                FUZZ_CHECK(!menu.items.isEmpty(), "an accepted menu has items");
        }
        break;
    }
    case 3: {
        QHash<unsigned, LangToolBar> t;
        if (!parseLangToolBars(rest, &t, &error))
            FUZZ_CHECK(!error.isEmpty(), "a refused toolbar table says why");
        break;
    }
    default: {
        clearLangPack();
        setLangString(7, QStringLiteral("kept"));
        if (!loadLangPackData(rest, &error)) {
            FUZZ_CHECK(!error.isEmpty(), "a refused pack says why");
            FUZZ_CHECK(langString(7) == QLatin1String("kept"), "a refused pack leaves the tables as they were");
        } else {
            (void)langMenu(128);
            (void)langIcon(6007).pixmap(16, 16);
        }
        clearLangPack();
        break;
    }
    }
    return 0;
}
