#pragma once
// Gives the program's message-box and file-dialog seams their next answers
// for one test, and forgets whatever was not used when the test ends.
#include "app/controls/MessageBox.h"

namespace support {

class SeamScope {
public:
    SeamScope() = default;
    ~SeamScope()
    {
        controls::MessageBox::clearNextAnswer();
        controls::FileDialog::clearNext();
    }
    SeamScope(const SeamScope&) = delete;
    SeamScope& operator=(const SeamScope&) = delete;

    void nextAnswer(QMessageBox::StandardButton b) { controls::MessageBox::setNextAnswer(b); }
    void nextFileName(const QString& name) { controls::FileDialog::setNextFileName(name); }
    void nextFileNames(const QStringList& names) { controls::FileDialog::setNextFileNames(names); }
    void nextDirectory(const QString& dir) { controls::FileDialog::setNextDirectory(dir); }
};

} // namespace support
