#pragma once
// The access dialog: the user types a code; a matching code raises the
// program's rights and closes with Accepted, a wrong one says so and stays.
#include <QDialog>

class QLineEdit;

namespace dialogs {

class CAuthorityDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 6027, IDC_CODE = 6044, IDS_WRONG_CODE = 63004 };
    explicit CAuthorityDlg(QWidget* parent = nullptr);
    void OnBnClickedOk();

private:
    QLineEdit* m_code;
};

} // namespace dialogs
