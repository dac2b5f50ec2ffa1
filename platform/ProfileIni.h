#pragma once
// Private-profile INI files ("config.ini", "usr.ini"): sections and keys match
// case-insensitively, the first of duplicates wins, values are read whole and
// trimmed (one pair of surrounding quotes removed), ";" inside a value is
// ordinary text. A write updates the key in place, appends a new key after the
// last key of its section and a new section at the end, keeps every other line
// and each line's own ending (CRLF for a new file), and creates the file.
#include "platform/OperatorFile.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// One file held in memory, for callers that read or write many keys.
// The largest profile read: the program's files hold a few lines per open
// screen or group, far below this; more is no profile of ours.
inline constexpr qint64 kMaxProfileBytes = qint64(16) << 20;

class ProfileFile {
public:
    ProfileFile() = default;
    // Reads the file; a missing file reads as empty. False (and empty) when it
    // exists but cannot be read, is no regular file (a folder, a device, a
    // pipe) or is larger than kMaxProfileBytes: a caller then writes nothing
    // over it. `why`, when given, gets the reader's result (Ok when missing).
    bool load(const QString& path, FileRead* why = nullptr);
    // The same from the file's bytes (UTF-8, or UTF-16LE after its mark).
    void loadData(QByteArray raw);
    // Writes through a save file: a failed write leaves the old file whole. A
    // file that already holds the text is not written again.
    bool save(const QString& path) const;

    bool contains(const QString& section, const QString& key) const;
    // The value, or `fallback` when the section or key is missing.
    QString value(const QString& section, const QString& key, const QString& fallback = {}) const;
    // False (nothing changed) for a section or key name that cannot be stored
    // (empty, "=" or "]" in it, line breaks) or a value with a line break.
    bool setValue(const QString& section, const QString& key, const QString& value);
    // The section's key names in file order (empty when it is missing).
    QStringList keys(const QString& section) const;
    // How many section headers the file holds: what a count read from it
    // can number at most when each counted thing has a section of its own.
    int sectionCount() const;
    // Deletes the key's line (every duplicate too); false when there was none.
    bool removeKey(const QString& section, const QString& key);
    // Deletes the section's header and every line up to the next section.
    bool removeSection(const QString& section);

    // The text as save() writes it (UTF-8, or UTF-16LE when read so).
    QByteArray bytes() const;

private:
    struct Line {
        QString text;
        QString eol;
    };
    int findSection(const QString& section) const;   // line index of the header, -1
    int findKey(int header, const QString& key) const;
    QString newLineEnding() const;

    QList<Line> m_lines;
    bool m_utf16 = false;
    bool m_bom = false;
};

// Decimal text to int as the profile functions convert it: leading blanks, a
// sign, then digits; anything else ends the number; no digits give 0; values
// past the int range stop at its ends.
int ProfileTextToInt(const QString& text);

// The Windows-named calls, one file access each.
QString GetPrivateProfileString(const QString& section, const QString& key, const QString& fallback,
                                const QString& path);
// `fallback` when the key is missing; a present value converts with ProfileTextToInt.
int GetPrivateProfileInt(const QString& section, const QString& key, int fallback, const QString& path);
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& path);

// A ";"-terminated list value: every entry followed by ";"; text after the last ";" is
// not an entry.
QStringList SplitProfileList(const QString& value);
QString JoinProfileList(const QStringList& entries);

} // namespace platform
