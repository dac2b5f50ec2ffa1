// Every string, icon, bitmap and dialog text the program's sources ask the
// language pack for is in all three packs, and each pack's text has the
// placeholders of the English one. The ids are read from the sources: calls
// with a number or a named constant of the same file (or its header), and
// the string constants of files that look texts up by variable.
#include "PackFiles.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace platform;

namespace {

struct CodeIds {
    std::map<unsigned, QString> strings;   // id -> where it was asked for
    std::map<unsigned, QString> icons;
    std::map<unsigned, QString> bitmaps;
    std::map<std::pair<unsigned, unsigned>, QString> dialogTexts;
};

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Named numbers of a source: "constexpr unsigned kName = 123;" and enum
// members such as "IDD = 6129" or "IDC_STATUS = 6152".
QHash<QString, unsigned> constantsOf(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(R"(\b((?:k|ID)[A-Za-z0-9_]*)\s*=\s*(\d+)\s*[,;}])"));
    QHash<QString, unsigned> out;
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out.insert(m.captured(1), m.captured(2).toUInt());
    }
    return out;
}

std::optional<unsigned> resolve(const QString& arg, const QHash<QString, unsigned>& names)
{
    bool ok = false;
    const unsigned n = arg.toUInt(&ok);
    if (ok)
        return n;
    if (names.contains(arg))
        return names.value(arg);
    return std::nullopt;
}

CodeIds scanSources(const QString& root)
{
    CodeIds ids;
    static const QRegularExpression oneArg(
        QStringLiteral(R"(\b(langString|packString|langIcon|langBitmap)\(\s*([A-Za-z0-9_]+)\s*\))"));
    static const QRegularExpression twoArgs(
        QStringLiteral(R"(\b(langDialogText|packDialogText)\(\s*([A-Za-z0-9_]+)\s*,\s*([A-Za-z0-9_]+)\s*\))"));
    static const QRegularExpression stringConstant(
        QStringLiteral(R"(constexpr\s+unsigned\s+(k[A-Za-z0-9_]*)\s*=\s*(\d+)\s*;)"));
    static const QRegularExpression byVariable(QStringLiteral(R"(\b(langString|packString)\(\s*[a-z])"));
    QDirIterator it(root, {QStringLiteral("*.cpp")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString text = readText(path);
        QString header = path;
        header.chop(4);
        const QString both = text + readText(header + QStringLiteral(".h"));
        const QHash<QString, unsigned> names = constantsOf(both);
        const QString where = path.mid(root.size() + 1);
        for (auto m = oneArg.globalMatch(text); m.hasNext();) {
            const auto c = m.next();
            if (const auto id = resolve(c.captured(2), names)) {
                const QString f = c.captured(1);
                auto& table = f.endsWith(QStringLiteral("Icon"))     ? ids.icons
                              : f.endsWith(QStringLiteral("Bitmap")) ? ids.bitmaps
                                                                     : ids.strings;
                table.emplace(*id, where);
            }
        }
        for (auto m = twoArgs.globalMatch(text); m.hasNext();) {
            const auto c = m.next();
            const auto t = resolve(c.captured(2), names);
            const auto id = resolve(c.captured(3), names);
            if (t && id)
                ids.dialogTexts.emplace(std::make_pair(*t, *id), where);
        }
        // Texts looked up through a variable: the file's string constants,
        // but for those it names pictures with.
        if (byVariable.match(text).hasMatch()) {
            QSet<QString> pictures;
            for (auto m = oneArg.globalMatch(text); m.hasNext();) {
                const auto c = m.next();
                if (!c.captured(1).endsWith(QStringLiteral("String")))
                    pictures.insert(c.captured(2));
            }
            for (auto m = stringConstant.globalMatch(text); m.hasNext();) {
                const auto c = m.next();
                const unsigned id = c.captured(2).toUInt();
                if (id >= 100 && !pictures.contains(c.captured(1)))
                    ids.strings.emplace(id, where);
            }
        }
    }
    return ids;
}

QList<int> placeholders(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("%(\\d+)"));
    QList<int> out;
    for (auto it = re.globalMatch(text); it.hasNext();)
        out << it.next().captured(1).toInt();
    std::sort(out.begin(), out.end());
    return out;
}

const CodeIds& codeIds()
{
    static const CodeIds ids = scanSources(QStringLiteral(TAVRELO_SOURCE_DIR "/app"));
    return ids;
}

} // namespace

TEST(CodeIds, TheScanFindsWhatTheSourcesAsk)
{
    const CodeIds& ids = codeIds();
    // Ids this scan must see, from calls, constants and dialog texts.
    EXPECT_TRUE(ids.strings.count(57355)) << "a named constant passed to packString";
    EXPECT_TRUE(ids.strings.count(44020)) << "a string constant of a file that looks up by variable";
    EXPECT_TRUE(ids.strings.count(46001));
    EXPECT_TRUE(ids.icons.count(128));
    EXPECT_TRUE(ids.dialogTexts.count({6129, 6152})) << "an enum member of the header";
    EXPECT_GT(ids.strings.size() + ids.dialogTexts.size(), 30u);
}

TEST(CodeIds, EveryIdTheCodeAsksForIsInEveryPackWithTheEnglishPlaceholders)
{
    const CodeIds& ids = codeIds();
    LangPackScope scope;
    QHash<unsigned, QString> english;
    QHash<QPair<unsigned, unsigned>, QString> englishDialog;
    for (const QString& code : packCodes()) {
        QString error;
        ASSERT_TRUE(loadLangPack(packPath(code), &error)) << error.toStdString();
        for (const auto& [id, where] : ids.strings) {
            const QString text = langString(id);
            EXPECT_FALSE(text.isEmpty()) << code.toStdString() << ": string " << id << " asked for in "
                                         << where.toStdString();
            if (code == QStringLiteral("EN"))
                english.insert(id, text);
            else
                EXPECT_EQ(placeholders(text), placeholders(english.value(id)))
                    << code.toStdString() << ": string " << id;
        }
        for (const auto& [key, where] : ids.dialogTexts) {
            const QString text = langDialogText(key.first, key.second);
            EXPECT_FALSE(text.isEmpty()) << code.toStdString() << ": dialog " << key.first << " control "
                                         << key.second << " asked for in " << where.toStdString();
            const QPair<unsigned, unsigned> k(key.first, key.second);
            if (code == QStringLiteral("EN"))
                englishDialog.insert(k, text);
            else
                EXPECT_EQ(placeholders(text), placeholders(englishDialog.value(k)))
                    << code.toStdString() << ": dialog " << key.first << "/" << key.second;
        }
        for (const auto& [id, where] : ids.icons)
            EXPECT_FALSE(langIcon(id).isNull()) << code.toStdString() << ": icon " << id << " asked for in "
                                                << where.toStdString();
        for (const auto& [id, where] : ids.bitmaps)
            EXPECT_FALSE(langBitmap(id).isNull()) << code.toStdString() << ": bitmap " << id << " asked for in "
                                                  << where.toStdString();
    }
}
