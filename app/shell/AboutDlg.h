#pragma once
// The about box (template 100): program name, description, version (6370)
// and, in the product build only, the product links 6371 to 6374 (a link
// without an address is not offered).
#include <QDialog>

namespace shell {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 100, IDC_VERSION = 6370, IDC_LINK_FIRST = 6371, IDC_LINK_LAST = 6374 };
    explicit CAboutDlg(QWidget* parent = nullptr);
    // Sets every text from the language pack.
    void retranslate();
    // The address a product link opens; empty while none is set.
    static QString LinkTarget(int controlId);
    static bool LinkShown(bool productBuild, const QString& target) { return productBuild && !target.isEmpty(); }
};

} // namespace shell
