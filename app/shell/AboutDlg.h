#pragma once
// The about box (template 100): program name, version (6370) and, in the
// product build only, the folder links 6371 to 6374.
#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 100, IDC_VERSION = 6370, IDC_LINK_FIRST = 6371, IDC_LINK_LAST = 6374 };
    explicit CAboutDlg(QWidget* parent = nullptr);
    // Sets every text from the language pack.
    void retranslate();
    // The link targets: the program's folder and its "userdata" folder.
    static QString LinkTarget(int controlId);
};
