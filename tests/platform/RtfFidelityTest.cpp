// Our RTF reading against the office program's reading of the same RTF: the
// office program writes the corpus as RTF, then reads each RTF back into a
// flat OpenDocument text; both readings are compared per character. Plain
// texts (UTF-16 with their marks) are read by both, and their characters
// compared.
#include "platform/RtfCodePage.h"
#include "platform/RtfReader.h"
#include "support/DocumentCorpus.h"
#include "support/ShownText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace support;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A plain text has its characters and nothing else.
ShownText charactersOf(const ShownText& t)
{
    ShownText out;
    for (const ShownChar& c : t) {
        ShownChar bare;
        bare.ch = c.ch;
        out.append(bare);
    }
    return out;
}

} // namespace

TEST(RtfFidelity, EachDocumentReadsAsTheOfficeProgramReadsIt)
{
    ASSERT_FALSE(officeProgram().isEmpty())
        << "LibreOffice (soffice) is not installed; scripts/setup.sh installs it";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Kept for a look when asked for.
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("TAVRELO_KEEP_FIDELITY"));
    if (!dir.autoRemove())
        std::printf("the documents stay in %s\n", qPrintable(dir.path()));
    const QDir work(dir.path());
    for (const char* sub : {"source", "doc", "rtf", "plain", "back"})
        ASSERT_TRUE(work.mkpath(QString::fromLatin1(sub)));

    const QList<CorpusDocument> corpus = documentCorpus();
    QStringList sources, rtfs, docSources, docs;
    for (const CorpusDocument& d : corpus) {
        if (d.viaDoc) {
            // The office program reads the .doc file; we read the RTF it makes of it.
            const QString src = work.filePath(QStringLiteral("source/") + d.name + QStringLiteral(".fodt"));
            ASSERT_TRUE(writeFile(src, d.flatOdt));
            docSources << src;
            docs << work.filePath(QStringLiteral("doc/") + d.name + QStringLiteral(".doc"));
            continue;
        }
        if (!d.plain.isEmpty()) {
            const QString txt = work.filePath(QStringLiteral("plain/") + d.name + QStringLiteral(".txt"));
            ASSERT_TRUE(writeFile(txt, d.plain));
            rtfs << txt;
            continue;
        }
        const QString rtf = work.filePath(QStringLiteral("rtf/") + d.name + QStringLiteral(".rtf"));
        if (d.flatOdt.isEmpty()) {
            ASSERT_TRUE(writeFile(rtf, d.rtf));
        } else {
            const QString src = work.filePath(QStringLiteral("source/") + d.name + QStringLiteral(".fodt"));
            ASSERT_TRUE(writeFile(src, d.flatOdt));
            sources << src;
        }
        rtfs << rtf;
    }
    // One run writes the .doc files, one every RTF, one more reads every RTF
    // and .doc file back.
    QString log;
    ASSERT_TRUE(convertWithOffice(dir.path(), docSources, QStringLiteral("doc:MS Word 97"), work.filePath("doc"), &log))
        << log.toStdString();
    ASSERT_TRUE(convertWithOffice(dir.path(), sources + docs, QStringLiteral("rtf"), work.filePath("rtf"), &log))
        << log.toStdString();
    ASSERT_TRUE(convertWithOffice(dir.path(), rtfs + docs, QStringLiteral("fodt"), work.filePath("back"), &log))
        << log.toStdString();

    int faithful = 0, explained = 0;
    for (const CorpusDocument& d : corpus) {
        SCOPED_TRACE(d.name.toStdString());
        QTextDocument doc;
        QString error;
        if (d.plain.isEmpty()) {
            const QByteArray rtf = readFile(work.filePath(QStringLiteral("rtf/") + d.name + QStringLiteral(".rtf")));
            ASSERT_TRUE(platform::readRtf(rtf, &doc, &error)) << error.toStdString();
        } else {
            ASSERT_EQ(platform::readPlainText(platform::decodePlainText(d.plain), &doc, {}), platform::ReadResult::Ok);
        }
        ShownText office;
        ASSERT_TRUE(shownByOffice(readFile(work.filePath(QStringLiteral("back/") + d.name + QStringLiteral(".fodt"))),
                                  office, &error))
            << error.toStdString();
        const QList<ShownDifference> differences =
            d.plain.isEmpty() ? compareShown(shownByDocument(doc), office)
                              : compareShown(charactersOf(shownByDocument(doc)), charactersOf(office));
        QSet<QString> told;
        int unexplained = 0;
        for (const ShownDifference& diff : differences) {
            if (const char* reason = expectedDifference(d.name, diff)) {
                const QString key = diff.attribute + QString::fromLatin1(reason);
                if (!told.contains(key)) {
                    told.insert(key);
                    std::printf("  %s: %s differs on purpose: %s\n", qPrintable(d.name), qPrintable(diff.attribute),
                                reason);
                }
                continue;
            }
            ++unexplained;
            if (unexplained <= 12)
                ADD_FAILURE() << describe(diff).toStdString();
        }
        if (unexplained > 12)
            ADD_FAILURE() << unexplained << " differences in all";
        if (differences.isEmpty())
            ++faithful;
        else if (unexplained == 0)
            ++explained;
    }
    std::printf("documents faithful: %d of %lld; %d more differ only where stated\n", faithful,
                static_cast<long long>(corpus.size()), explained);
}
