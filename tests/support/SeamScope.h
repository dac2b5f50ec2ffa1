#pragma once
// One scope over the whole seam registry (app/spine/Seams.h): it keeps a copy
// of every slot when it starts and puts them all back when it ends, so what a
// test fills cannot reach a later test. The test main also fails a test that
// leaves a slot filled without a scope.
#include "app/controls/MessageBox.h"
#include "app/spine/Seams.h"

#include <utility>

namespace support {

class SeamScope {
public:
    SeamScope() : m_saved(spine::seams()) {}
    ~SeamScope()
    {
        // The last box's text is what the program did, not a seam: it stays.
        QString last = std::move(spine::seams().lastMessage);
        spine::seams() = std::move(m_saved);
        spine::seams().lastMessage = std::move(last);
    }
    SeamScope(const SeamScope&) = delete;
    SeamScope& operator=(const SeamScope&) = delete;

    spine::Seams* operator->() const { return &spine::seams(); }
    spine::FrameDialogs& frame() const { return spine::seams().frame; }

    void nextAnswer(QMessageBox::StandardButton b) const { spine::seams().nextAnswer = b; }
    // An empty name answers Cancel.
    void nextFileName(const QString& name) const
    {
        spine::seams().nextFileNames = name.isEmpty() ? QStringList() : QStringList{name};
    }
    void nextFileNames(const QStringList& names) const { spine::seams().nextFileNames = names; }
    void nextDirectory(const QString& dir) const { spine::seams().nextDirectory = dir; }
    // The font dialog's next answer: OK with these, or Cancel.
    void nextFont(const LOGFONT& font, platform::COLORREF colour) const
    {
        spine::seams().nextFont = spine::FontAnswer{true, font, colour};
    }
    void nextFontCancelled() const { spine::seams().nextFont = spine::FontAnswer{}; }

private:
    spine::Seams m_saved;
};

} // namespace support
