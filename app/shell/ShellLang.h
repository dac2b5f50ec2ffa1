#pragma once
// The shell's one door to the language pack: loading the pack file chosen at
// start-up, Qt's own translations, and the lookups the shell's windows make.
// Missing ids give empty texts and empty data.
#include <QByteArray>
#include <QString>

namespace shell {

// Registers the pack file; false with a reason when it cannot be loaded.
bool loadLanguagePack(const QString& path, QString* error);
void unloadLanguagePack();
// Qt's own dialogs (buttons, file dialogs) in the language.
void installQtTranslationsFor(int language);

// Chinese glyphs of the interface come from the pack's face (40000) where it
// is installed: traditional shapes for Traditional Chinese. Latin ones keep
// the interface's face.
void useInterfaceFace();

QString packString(unsigned id);
QString packDialogText(unsigned templateId, unsigned controlId);
// Raw picture bytes given in place of the pack's picture of that id (tests,
// and a custom picture); empty when none was given.
QByteArray packData(unsigned id);
void setPackData(unsigned id, const QByteArray& data);
void clearPackOverrides();

} // namespace shell
