#pragma once
// The rich edit of the text panels and the helpers that move RTF and plain
// text in and out of it; they are the only path between an item's stored RTF
// and the editor.
#include <QString>
#include <QTextEdit>
#include <functional>

namespace controls {

class CRichEditCtrlEx : public QTextEdit {
    Q_OBJECT
public:
    explicit CRichEditCtrlEx(QWidget* parent = nullptr) : QTextEdit(parent) {}
};

// Prompt ids of the file helpers.
constexpr unsigned kPromptInvalidFileName = 0xF100;
constexpr unsigned kPromptCannotOpen = 0xF101;

// Shows a prompt (id, text); tests replace it. Returns the previous one.
using PromptHandler = std::function<void(unsigned id, const QString& text)>;
PromptHandler setPromptHandler(PromptHandler handler);

// Replaces the contents: RTF when the text starts with "{\rtf" (any case),
// else plain text. False when the RTF was damaged (what could be read stays).
bool RichEditSetRtf(const QString& text, QTextEdit* edit);
// Loads a file the same way; prompts for a bad path or an unreadable file.
bool RichEditLoadFile(const QString& path, QTextEdit* edit);
// The name the panels' callers use for the same operation.
inline bool RichEditSetRtfA(const QString& path, QTextEdit* edit) { return RichEditLoadFile(path, edit); }
// The contents as RTF.
void RichEditGetRtf(QString& out, const QTextEdit* edit);
QString RichEditGetRtf(const QTextEdit* edit);
// Gives the selection a set text colour (red) instead of the automatic one.
void RichEditClearAutoColor(QTextEdit* edit);
// Exact line spacing (in twips) for the selected paragraphs.
void RichEditSetLineSpacing(int twips, QTextEdit* edit);

} // namespace controls
