#pragma once
// Small local helpers of the shell tests (folders, files, answered message
// boxes); named so they can give way to the shared test support later.
#include "support/SeamScope.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace shelltest {

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// The Language menu's commands (menu 128).
inline constexpr unsigned kAutoLanguageCommand = 32848;
inline constexpr unsigned kSimplifiedCommand = 32849;
inline constexpr unsigned kTraditionalCommand = 32850;
inline constexpr unsigned kEnglishCommand = 32851;

inline QString builtPack(const char* name)
{
    return QStringLiteral(TAVRELO_SHELL_PACK_DIR "/") + QString::fromLatin1(name);
}

// A program folder holding the three built packs.
inline QString folderWithPacks(const QTemporaryDir& dir)
{
    for (const char* name : {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"})
        QFile::copy(builtPack(name), dir.filePath(QString::fromLatin1(name)));
    return dir.path() + u'/';
}

// Answers every message box with `answer` and records the texts, for its lifetime.
class MessageRecorder {
public:
    explicit MessageRecorder(QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        m_seams->messageBox = [this, answer](const spine::MessageRequest& r) {
            texts.append(r.text);
            return answer;
        };
    }
    QStringList texts;

private:
    support::SeamScope m_seams;
};

inline QString uniqueName(const char* what)
{
    return QStringLiteral("shelltest_%1_%2").arg(QString::fromLatin1(what)).arg(QCoreApplication::applicationPid());
}

} // namespace shelltest
