#pragma once
// What a modal dialog says (class, title or message, visible label texts), so a
// test that fails on a dialog left open tells why it stayed.
#include <QString>

class QWidget;

namespace support {

QString describeModal(const QWidget* modal);
// Rejects a dialog (closes any other window); one that refuses while busy is
// asked to close as well, which it does once its job has ended.
void closeModal(QWidget* modal);

} // namespace support
