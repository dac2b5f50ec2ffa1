#include "app/spine/Seams.h"

#include <QCoreApplication>
#include <QThread>

namespace spine {

Seams& seams()
{
    // A slot replaced by a test on one thread and called on another would race.
    Q_ASSERT(!QCoreApplication::instance() || QThread::currentThread() == QCoreApplication::instance()->thread());
    static Seams s;
    return s;
}

QStringList Seams::filled() const
{
    QStringList out;
    const auto note = [&out](bool filled, const char* name) {
        if (filled)
            out.append(QLatin1String(name));
    };
    note(nextAnswer.has_value(), "nextAnswer");
    note(bool(messageBox), "messageBox");
    note(nextFileNames.has_value(), "nextFileNames");
    note(nextDirectory.has_value(), "nextDirectory");
    note(nextFont.has_value(), "nextFont");
    note(bool(colourDialog), "colourDialog");
    note(bool(popupMenu), "popupMenu");
    note(bool(richEditPrompt), "richEditPrompt");
    note(bool(now), "now");
    note(bool(removableVolumes), "removableVolumes");
    note(bool(openUrl), "openUrl");
    note(!officeProgram.isEmpty(), "officeProgram");
    note(bool(documentConverter), "documentConverter");
    note(bool(spreadsheetSource), "spreadsheetSource");
    note(bool(wizardSearch), "wizardSearch");
    note(bool(firmwareUpgrade), "firmwareUpgrade");
    note(bool(frame.runTask), "frame.runTask");
    note(bool(frame.newScreen), "frame.newScreen");
    note(bool(frame.searchScope), "frame.searchScope");
    note(bool(frame.accessGate), "frame.accessGate");
    note(bool(frame.hardwareSettings), "frame.hardwareSettings");
    note(bool(frame.networkSettings), "frame.networkSettings");
    note(bool(frame.wifiSettings), "frame.wifiSettings");
    note(bool(frame.softwareSettings), "frame.softwareSettings");
    note(bool(frame.wizard), "frame.wizard");
    note(bool(frame.bulkSend), "frame.bulkSend");
    note(bool(frame.preview), "frame.preview");
    note(bool(frame.usbExport), "frame.usbExport");
    note(bool(frame.startDetached), "frame.startDetached");
    return out;
}

} // namespace spine
