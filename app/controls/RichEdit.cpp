#include "app/controls/RichEdit.h"
#include "app/spine/Seams.h"
#include "platform/LangPack.h"
#include "platform/OperatorFile.h"
#include "platform/RtfCodePage.h"
#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QPromise>
#include <QThread>
#include <QTimer>
#include "app/controls/MessageBox.h"
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFragment>

namespace controls {

namespace {

void show(unsigned id, const QString& text)
{
    if (auto shown = spine::seams().richEditPrompt)
        shown(id, text);
    else
        MessageBox::warning(nullptr, QString(), text);
}

void prompt(unsigned id, const QString& path)
{
    QString text = platform::langString(id);
    if (text.isEmpty())
        text = id == kPromptInvalidFileName ? QStringLiteral("%1\nThe file name is not valid.")
                                            : QStringLiteral("%1\nThe document cannot be opened.");
    if (text.contains(u"%1"))
        text = text.arg(path);
    show(id, text);
}

// Reads an import's file: never blocks, never past the bound.
RichTextLoad::Status readImportFile(const QString& path, QByteArray& bytes, const std::function<bool()>& cancelled)
{
    switch (platform::readOperatorFile(path, kMaxRichTextFileBytes, bytes, cancelled)) {
    case platform::FileRead::Ok: return RichTextLoad::Ok;
    case platform::FileRead::Missing: return RichTextLoad::InvalidName;
    case platform::FileRead::NotAFile: return RichTextLoad::NotAFile;
    case platform::FileRead::TooLarge: return RichTextLoad::FileTooLarge;
    case platform::FileRead::Cancelled: return RichTextLoad::Cancelled;
    case platform::FileRead::Unreadable:
    case platform::FileRead::LinkLoop: break;
    }
    return RichTextLoad::CannotOpen;
}

platform::ReadOptions editOptions()
{
    platform::ReadOptions o;
    o.blockChars = kEditBlockChars;
    return o;
}

} // namespace

// A document read on a worker and handed to the interface thread; deleted
// there unless an edit took it.
class LoadedDocument {
public:
    explicit LoadedDocument(QTextDocument* doc) : m_doc(doc) {}
    ~LoadedDocument()
    {
        if (m_doc)
            m_doc->deleteLater();
    }
    LoadedDocument(const LoadedDocument&) = delete;
    LoadedDocument& operator=(const LoadedDocument&) = delete;
    QTextDocument* take() { return std::exchange(m_doc, nullptr); }

private:
    QTextDocument* m_doc;
};

void CRichEditCtrlEx::endContinuations(int fromBlock, int toBlock)
{
    QTextDocument* doc = document();
    for (int n = fromBlock + 1; n <= toBlock; ++n) {
        QTextBlock b = doc->findBlockByNumber(n);
        if (!b.isValid() || !b.blockFormat().hasProperty(platform::RtfContinues))
            continue;
        QTextBlockFormat f = b.blockFormat();
        f.clearProperty(platform::RtfContinues);
        QTextCursor(b).setBlockFormat(f);
    }
}

void CRichEditCtrlEx::keyPressEvent(QKeyEvent* e)
{
    const int before = textCursor().blockNumber();
    QTextEdit::keyPressEvent(e);
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        endContinuations(std::min(before, textCursor().blockNumber()), textCursor().blockNumber());
}

void CRichEditCtrlEx::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText() && source->text().size() > kLargePasteChars) {
        emit largePaste(source->text());
        return;
    }
    const int before = textCursor().selectionStart();
    const int first = document()->findBlock(before).blockNumber();
    QTextEdit::insertFromMimeData(source);
    endContinuations(first, textCursor().blockNumber());
}

namespace {
// The explicit colour of imported text.
QTextCharFormat explicitColourFormat()
{
    QTextCharFormat f;
    f.setForeground(QColor(255, 0, 0));
    return f;
}

// Text of the automatic colour in the range takes the explicit one; text
// with a colour of its own keeps it. The runs are gathered first (changing
// formats would break the walk) and joined across paragraph ends, so that a
// long text of one colour is one change.
void clearAutoColour(QTextDocument* doc, int from, int to)
{
    QList<QPair<int, int>> runs;
    const auto add = [&runs](int start, int end) {
        if (!runs.isEmpty() && runs.last().second + 1 >= start)
            runs.last().second = end;
        else
            runs.append({start, end});
    };
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        if (b.length() == 1 && b.charFormat().foreground().style() == Qt::NoBrush && b.position() < to)
            add(b.position(), b.position());
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int start = std::max(from, frag.position()), end = std::min(to, frag.position() + frag.length());
            if (start < end && frag.charFormat().foreground().style() == Qt::NoBrush)
                add(start, end);
        }
    }
    QTextCursor c(doc);
    c.beginEditBlock();
    for (const auto& [start, end] : runs) {
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        if (start == end)
            c.mergeBlockCharFormat(explicitColourFormat());
        else
            c.mergeCharFormat(explicitColourFormat());
    }
    c.endEditBlock();
}
} // namespace

QFuture<RichTextLoad> RichEditLoadAsync(const QString& pathOrText, LoadSource source, const QTextEdit* like,
                                        qsizetype maxChars, bool explicitColour)
{
    const bool isFile = source == LoadSource::File;
    const bool maybeRtf = source != LoadSource::PlainText;
    QPromise<RichTextLoad> promise;
    QFuture<RichTextLoad> future = promise.future();
    // What the new document takes from the edit, read here on the interface thread.
    const QFont font = like ? like->document()->defaultFont() : QFont();
    const qreal margin = like ? like->document()->documentMargin() : 4;
    const QTextCharFormat format = like ? like->currentCharFormat() : QTextCharFormat();
    QThread* gui = QCoreApplication::instance()->thread();
    QThread* worker = QThread::create([promise = std::move(promise), pathOrText, isFile, maybeRtf, maxChars, font,
                                       margin, format, gui, explicitColour]() mutable {
        promise.start();
        promise.setProgressRange(0, 1000);
        const auto finish = [&](RichTextLoad::Status status, QTextDocument* doc = nullptr) {
            RichTextLoad r;
            r.status = promise.isCanceled() ? RichTextLoad::Cancelled : status;
            if (r.status == RichTextLoad::Ok && doc) {
                doc->moveToThread(gui);
                r.document = std::make_shared<LoadedDocument>(doc);
            } else {
                delete doc;
            }
            promise.addResult(r);
            promise.finish();
        };
        QByteArray bytes;
        if (isFile) {
            const RichTextLoad::Status read =
                readImportFile(pathOrText, bytes, [&promise] { return promise.isCanceled(); });
            if (read != RichTextLoad::Ok)
                return finish(read);
        }
        auto* doc = new QTextDocument;
        doc->setDefaultFont(font);
        doc->setDocumentMargin(margin);
        doc->setUndoRedoEnabled(false);
        platform::ReadOptions o = editOptions();
        o.maxChars = qMax<qsizetype>(0, maxChars);
        o.progress = [&promise](qsizetype done, qsizetype total) {
            promise.setProgressValue(total > 0 ? int(done * 1000 / total) : 0);
            return !promise.isCanceled();
        };
        platform::ReadResult r;
        if (maybeRtf && (isFile ? platform::looksLikeRtf(bytes) : platform::looksLikeRtf(pathOrText))) {
            r = isFile ? platform::readRtf(bytes, doc, o) : platform::readRtf(pathOrText, doc, o);
        } else {
            const QString text = isFile ? platform::decodePlainText(bytes) : pathOrText;
            bytes.clear();
            r = platform::readPlainText(text, doc, o, format);
        }
        if (r == platform::ReadResult::Ok && explicitColour && !promise.isCanceled()) {
            clearAutoColour(doc, 0, doc->characterCount() - 1);
        }
        doc->setUndoRedoEnabled(true);
        switch (r) {
        case platform::ReadResult::Ok: return finish(RichTextLoad::Ok, doc);
        case platform::ReadResult::TooLong: return finish(RichTextLoad::TooLong, doc);
        case platform::ReadResult::Cancelled: return finish(RichTextLoad::Cancelled, doc);
        default: return finish(RichTextLoad::Damaged, doc);
        }
    });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
    return future;
}

bool RichEditInstall(const RichTextLoad& load, QTextEdit* edit)
{
    if (!edit || load.status != RichTextLoad::Ok || !load.document)
        return false;
    QTextDocument* doc = load.document->take();
    if (!doc)
        return false;
    // A document installed before is the edit's child; the edit's own first
    // one belongs to its text control and goes with the swap.
    QPointer<QTextDocument> old = edit->document();
    edit->setDocument(doc);
    doc->setParent(edit);
    if (old && old->parent() == edit)
        delete old;
    return true;
}

RichTextPaste::RichTextPaste(const RichTextLoad& load, QTextEdit* edit, QObject* parent)
    : QObject(parent), m_edit(edit), m_source(load.document ? load.document->take() : nullptr)
{
}

RichTextPaste::~RichTextPaste()
{
    if (m_running)
        cancel();
}

void RichTextPaste::start()
{
    if (!m_edit || !m_source) {
        emit finished(false);
        return;
    }
    m_running = true;
    m_readOnly = m_edit->isReadOnly();
    m_quiet = m_edit->blockSignals(true);
    m_undo = m_edit->document()->isUndoRedoEnabled();
    m_edit->document()->setUndoRedoEnabled(false);
    m_edit->setReadOnly(true);
    QTextCursor c = m_edit->textCursor();
    m_replaced = c.selection();
    c.removeSelectedText();
    m_start = m_at = c.position();
    QTimer::singleShot(0, this, &RichTextPaste::step);
}

void RichTextPaste::step()
{
    if (!m_running)
        return;
    if (!m_edit) {
        m_running = false;
        emit finished(false);
        return;
    }
    const int total = m_source->characterCount() - 1;
    const int to = std::min(total, m_from + kPieceChars);
    QTextCursor piece(m_source.get());
    piece.setPosition(m_from);
    piece.setPosition(to, QTextCursor::KeepAnchor);
    QTextCursor at(m_edit->document());
    at.setPosition(m_at);
    at.insertFragment(QTextDocumentFragment(piece));
    m_at = at.position();
    m_from = to;
    emit progress(total > 0 ? int(qint64(m_from) * 1000 / total) : 1000);
    if (m_from < total)
        QTimer::singleShot(0, this, &RichTextPaste::step);
    else
        end(true);
}

void RichTextPaste::end(bool done)
{
    m_running = false;
    if (m_edit) {
        QTextCursor c(m_edit->document());
        c.setPosition(m_at);
        m_edit->setTextCursor(c);
        m_edit->setReadOnly(m_readOnly);
        m_edit->document()->setUndoRedoEnabled(m_undo);
        m_edit->blockSignals(m_quiet);
    }
    m_source.reset();
    emit finished(done);
}

void RichTextPaste::cancel()
{
    if (!m_running)
        return;
    if (m_edit) {
        QTextCursor c(m_edit->document());
        c.setPosition(m_start);
        c.setPosition(m_at, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.insertFragment(m_replaced);
        m_at = c.position();
    }
    end(false);
}

void RichEditPromptFailure(RichTextLoad::Status status, const QString& path)
{
    const auto refused = [&](platform::FileRead why) {
        show(kPromptNotTaken, platform::operatorFileMessage(why, path, kMaxRichTextFileBytes));
    };
    if (status == RichTextLoad::InvalidName)
        prompt(kPromptInvalidFileName, path);
    else if (status == RichTextLoad::CannotOpen)
        prompt(kPromptCannotOpen, path);
    else if (status == RichTextLoad::NotAFile)
        refused(platform::FileRead::NotAFile);
    else if (status == RichTextLoad::FileTooLarge)
        refused(platform::FileRead::TooLarge);
}

bool RichEditSetRtf(const QString& text, QTextEdit* edit)
{
    if (!edit)
        return false;
    if (platform::looksLikeRtf(text))
        return platform::readRtf(text, edit->document(), editOptions()) == platform::ReadResult::Ok;
    edit->setPlainText(text);
    return true;
}

bool RichEditLoadFile(const QString& path, QTextEdit* edit)
{
    if (!edit)
        return false;
    QByteArray bytes;
    if (const RichTextLoad::Status read = readImportFile(path, bytes, {}); read != RichTextLoad::Ok) {
        RichEditPromptFailure(read, path);
        return false;
    }
    if (platform::looksLikeRtf(bytes))
        return platform::readRtf(bytes, edit->document(), editOptions()) == platform::ReadResult::Ok;
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
    const QTextCursor c = edit->textCursor();
    if (!c.hasSelection()) {
        edit->mergeCurrentCharFormat(explicitColourFormat());
        return;
    }
    clearAutoColour(edit->document(), c.selectionStart(), c.selectionEnd());
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
