#pragma once
// Small documents of what operators import (Latin and Chinese text with each
// attribute, mixed scripts, faces, sizes, colours, alignment, tables, lists,
// raised text, characters beyond the BMP, right-to-left text, headings), and
// the office program that converts them.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "support/ShownText.h"

namespace support {

struct CorpusDocument {
    QString name;
    QByteArray flatOdt; // a flat OpenDocument text, or
    QByteArray rtf;     // RTF as a rich edit or a word processor writes it, or
    QByteArray plain;   // a plain text file: its characters alone are compared
    // The flat text goes to the office program's .doc form first;
    // both readers then read that file (ours through its RTF).
    bool viaDoc = false;
};

QList<CorpusDocument> documentCorpus();

// Every flat document of the corpus, one after the other, in one document.
QByteArray combinedFlatOdt();

// A Chinese report: bold 28-point headings, a paragraph and a 3 x 3 table.
QByteArray chineseReport();

// Why our reading of a corpus document may differ there from the office
// program's, or nullptr.
const char* expectedDifference(const QString& document, const ShownDifference& d);

// The office program on this machine, or an empty text.
QString officeProgram();

// Converts files in one run of the office program, with a profile of its own
// under `work`; the results go to `outDir`. False with what it said when it
// did not end in time or wrote none of them.
bool convertWithOffice(const QString& work, const QStringList& files, const QString& format, const QString& outDir,
                       QString* log);

} // namespace support
