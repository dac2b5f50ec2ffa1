#pragma once
// The rich edit of the text panels and the helpers that move RTF and plain
// text in and out of it; they are the only path between an item's stored RTF
// and the editor.
#include <QFuture>
#include <QPointer>
#include <QString>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <functional>
#include <memory>

namespace controls {

// The most characters a rich text takes in. A controller keeps what it shows
// as compiled pages, one bit per LED and colour and eight LEDs of a column per
// byte, so every character it can show costs at least one byte of its memory;
// the largest memory of the controller catalogue is 4 Mi bytes. More text
// than that no controller can show.
inline constexpr qsizetype kMaxRichTextChars = qsizetype(4) << 20;
// A file larger than this is refused unread: a rich edit's RTF spends far less
// than 16 bytes of markup per character.
inline constexpr qint64 kMaxRichTextFileBytes = qint64(kMaxRichTextChars) * 16;
// An edit holds a paragraph in blocks of about this many characters, so that
// a keystroke lays out one block rather than a whole huge paragraph.
inline constexpr qsizetype kEditBlockChars = 2048;
// Pastes of more characters than this are read off the interface thread.
inline constexpr qsizetype kLargePasteChars = 64 * 1024;

class CRichEditCtrlEx : public QTextEdit {
    Q_OBJECT
public:
    explicit CRichEditCtrlEx(QWidget* parent = nullptr) : QTextEdit(parent) {}

signals:
    // A paste too large to insert at once: the owner reads it as an import.
    void largePaste(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Blocks made by typing or pasting start paragraphs of their own.
    void endContinuations(int fromBlock, int toBlock);
};

// What a load off the interface thread gives back.
class LoadedDocument;
struct RichTextLoad {
    // NotAFile: a folder, a device or a pipe; FileTooLarge: more than
    // kMaxRichTextFileBytes, refused unread.
    enum Status { Ok, InvalidName, CannotOpen, NotAFile, FileTooLarge, Damaged, TooLong, Cancelled };
    Status status = Cancelled;
    std::shared_ptr<LoadedDocument> document;   // set when Ok
};

// What RichEditLoadAsync reads: a file, a text (RTF when it starts with
// "{\rtf", else plain) or a text taken as plain text whatever it holds.
enum class LoadSource { File, Text, PlainText };
// Reads on a thread of its own into a document set up like the edit's; plain
// text takes the edit's current format. The future reports progress from 0
// to 1000 and can be cancelled; more than maxChars characters end as TooLong.
// With `explicitColour` text of the automatic colour gets the colour that
// RichEditClearAutoColor gives, on the worker.
QFuture<RichTextLoad> RichEditLoadAsync(const QString& pathOrText, LoadSource source, const QTextEdit* like,
                                        qsizetype maxChars = kMaxRichTextChars, bool explicitColour = false);
// Replaces the edit's document with the loaded one, without a copy; false
// when the load holds no document (or it was installed already).
bool RichEditInstall(const RichTextLoad& load, QTextEdit* edit);
// Puts a loaded text in place of the edit's selection a piece at a time, one
// piece per turn of the event loop, so that the edit lays out a piece while
// the window goes on answering. The edit is read-only and quiet meanwhile;
// the pasted text cannot be undone step by step (as after an import).
class RichTextPaste : public QObject {
    Q_OBJECT
public:
    static constexpr int kPieceChars = 16 * 1024;
    RichTextPaste(const RichTextLoad& load, QTextEdit* edit, QObject* parent = nullptr);
    ~RichTextPaste() override;
    void start();
    // Takes out what was put in and puts the selection back.
    void cancel();

signals:
    void progress(int permille);
    void finished(bool done);

private:
    void step();
    void end(bool done);

    QPointer<QTextEdit> m_edit;
    std::unique_ptr<QTextDocument> m_source;
    QTextDocumentFragment m_replaced;
    int m_from = 0, m_start = 0, m_at = 0;
    bool m_running = false, m_readOnly = false, m_quiet = false, m_undo = true;
};
// The prompt of a load that failed to open or take its file (invalid name,
// cannot open, not a file, too large).
void RichEditPromptFailure(RichTextLoad::Status status, const QString& path);

// Prompt ids of the file helpers.
constexpr unsigned kPromptInvalidFileName = 0xF100;
constexpr unsigned kPromptCannotOpen = 0xF101;
constexpr unsigned kPromptNotTaken = 0xF102;   // not a file, or too large

// Replaces the contents: RTF when the text starts with "{\rtf" (any case),
// else plain text. False when the RTF was damaged (what could be read stays).
bool RichEditSetRtf(const QString& text, QTextEdit* edit);
// Loads a file the same way; prompts for a bad path or a file it does not
// take (unreadable, not a file, larger than kMaxRichTextFileBytes).
bool RichEditLoadFile(const QString& path, QTextEdit* edit);
// The name the panels' callers use for the same operation.
inline bool RichEditSetRtfA(const QString& path, QTextEdit* edit) { return RichEditLoadFile(path, edit); }
// The contents as RTF.
void RichEditGetRtf(QString& out, const QTextEdit* edit);
QString RichEditGetRtf(const QTextEdit* edit);
// Gives the selection's text of the automatic colour a set one (red); text
// with a colour of its own keeps it.
void RichEditClearAutoColor(QTextEdit* edit);
// Exact line spacing (in twips) for the selected paragraphs.
void RichEditSetLineSpacing(int twips, QTextEdit* edit);

} // namespace controls
