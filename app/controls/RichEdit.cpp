#include "app/controls/RichEdit.h"
#include "platform/LangPack.h"
#include "platform/RtfCodePage.h"
#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"

#include <QFile>
#include <QFileInfo>
#include "app/controls/MessageBox.h"
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

namespace controls {

namespace {

PromptHandler& promptHandler()
{
    static PromptHandler h = [](unsigned, const QString& text) {
        MessageBox::warning(nullptr, QString(), text);
    };
    return h;
}

void prompt(unsigned id, const QString& path)
{
    QString text = platform::langString(id);
    if (text.isEmpty())
        text = id == kPromptInvalidFileName ? QStringLiteral("%1\nThe file name is not valid.")
                                            : QStringLiteral("%1\nThe document cannot be opened.");
    promptHandler()(id, text.contains(u"%1") ? text.arg(path) : text);
}

} // namespace

PromptHandler setPromptHandler(PromptHandler handler)
{
    PromptHandler old = promptHandler();
    promptHandler() = std::move(handler);
    return old;
}

bool RichEditSetRtf(const QString& text, QTextEdit* edit)
{
    if (!edit)
        return false;
    if (platform::looksLikeRtf(text))
        return platform::readRtf(text, edit->document());
    edit->setPlainText(text);
    return true;
}

bool RichEditLoadFile(const QString& path, QTextEdit* edit)
{
    if (!edit)
        return false;
    QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir() || info.isRoot()) {
        prompt(kPromptInvalidFileName, path);
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        prompt(kPromptCannotOpen, path);
        return false;
    }
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        prompt(kPromptCannotOpen, path);
        return false;
    }
    if (platform::looksLikeRtf(bytes))
        return platform::readRtf(bytes, edit->document());
    edit->setPlainText(platform::decodePlainText(bytes));
    return true;
}

void RichEditGetRtf(QString& out, const QTextEdit* edit)
{
    out.clear();
    if (edit)
        out = QString::fromLatin1(platform::writeRtf(*edit->document()));
}

QString RichEditGetRtf(const QTextEdit* edit)
{
    QString s;
    RichEditGetRtf(s, edit);
    return s;
}

void RichEditClearAutoColor(QTextEdit* edit)
{
    if (!edit)
        return;
    QTextCharFormat f;
    f.setForeground(QColor(255, 0, 0));
    edit->mergeCurrentCharFormat(f);
}

void RichEditSetLineSpacing(int twips, QTextEdit* edit)
{
    if (!edit)
        return;
    QTextBlockFormat b;
    b.setLineHeight(twips / platform::kTwipsPerPixel, QTextBlockFormat::FixedHeight);
    b.setProperty(platform::RtfLineSpacing, -twips);
    b.setProperty(platform::RtfLineMultiple, 0);
    QTextCursor c = edit->textCursor();
    c.mergeBlockFormat(b);
    edit->setTextCursor(c);
}

} // namespace controls
