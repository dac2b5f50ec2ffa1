// The corpus of documents operators import, as one Word document the office
// program writes, through the rich-text panel's open button: what reaches the
// item is what the office program shows of the same document.
#include "TextPanelsTestUtil.h"

#include "app/panels/PropertyText.h"
#include "platform/RtfReader.h"
#include "support/DocumentCorpus.h"
#include "support/SeamScope.h"
#include "support/ShownText.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>

using namespace panels;
using namespace textpaneltest;

namespace {

struct DocumentRoad : TextItems {
    tagItemData* item = addItem(IT_TEXT);
    CPropertyText* panel = make<CPropertyText>();
    QTemporaryDir dir;
    support::SeamScope seams;
    DocumentRoad() { dir.setAutoRemove(qEnvironmentVariableIsEmpty("TAVRELO_KEEP_FIDELITY")); }
};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST_F(DocumentRoad, AWordDocumentReachesTheItemAsTheOfficeProgramShowsIt)
{
    ASSERT_FALSE(support::officeProgram().isEmpty())
        << "LibreOffice (soffice) is not installed; scripts/setup.sh installs it";
    const QString source = dir.filePath(QStringLiteral("corpus.fodt"));
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(support::combinedFlatOdt());
    }
    QString log;
    ASSERT_TRUE(support::convertWithOffice(dir.path(), {source}, QStringLiteral("doc"), dir.path(), &log))
        << log.toStdString();
    const QString doc = dir.filePath(QStringLiteral("corpus.doc"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("shown"))));
    ASSERT_TRUE(support::convertWithOffice(dir.path(), {doc}, QStringLiteral("fodt"), dir.filePath("shown"), &log))
        << log.toStdString();

    load(panel, item);
    QSignalSpy done(panel, &CPropertyText::importFinished);
    seams.nextFileName(doc);
    click(ctl<QAbstractButton>(panel, CPropertyText::IdImport));
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, 120000));
    ASSERT_TRUE(done.first().first().toBool());

    QTextDocument stored;
    ASSERT_TRUE(platform::readRtf(item->Item.TypeRecord->text(), &stored));
    support::ShownText office;
    QString error;
    ASSERT_TRUE(support::shownByOffice(readFile(dir.filePath(QStringLiteral("shown/corpus.fodt"))), office, &error))
        << error.toStdString();
    const QList<support::ShownDifference> differences = compareShown(support::shownByDocument(stored), office);
    int unexplained = 0;
    QSet<QString> told;
    for (const support::ShownDifference& d : differences) {
        if (const char* reason = support::expectedDifference(QStringLiteral("imported"), d)) {
            if (!told.contains(QString::fromLatin1(reason))) {
                told.insert(QString::fromLatin1(reason));
                std::printf("  %s differs on purpose: %s\n", qPrintable(d.attribute), reason);
            }
            continue;
        }
        if (++unexplained <= 12)
            ADD_FAILURE() << describe(d).toStdString();
    }
    EXPECT_EQ(unexplained, 0);
    std::printf("%lld characters compared, %lld differences, %d not explained\n",
                static_cast<long long>(office.size()), static_cast<long long>(differences.size()), unexplained);
}
