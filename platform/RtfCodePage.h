#pragma once
// Code pages of RTF font charsets, and byte <-> text conversion through iconv.
#include "platform/CodePage.h"

#include <QByteArray>
#include <QString>

namespace platform {

// The Windows code page of an RTF \fcharset value: charset 0 (ANSI) is 1252;
// charset 1 (default), and one not known, take the document's \ansicpg, or
// the program's code page when the document names none (ansiCodePage 0).
int codePageForCharset(int charset, int ansiCodePage);

// The \fcharset that stands for a code page (0 for 1252 and unknown pages).
int charsetForCodePage(int codePage);

// Decodes bytes in a code page; bytes the page cannot map become U+FFFD.
QString decodeCodePage(const QByteArray& bytes, int codePage);

// Encodes text in a code page; false (and an empty result) when some
// character has no form there.
bool encodeCodePage(const QString& text, int codePage, QByteArray* out);

// Text of a plain file: UTF-8, UTF-16 or UTF-32 as its byte-order mark says
// (the mark is dropped; what does not decode becomes U+FFFD), else UTF-16 LE
// or BE when the bytes show its pattern of NULs (mostly Latin text without a
// mark), else UTF-8 when the bytes are valid UTF-8, else the ANSI code page.
QString decodePlainText(const QByteArray& bytes);

} // namespace platform
