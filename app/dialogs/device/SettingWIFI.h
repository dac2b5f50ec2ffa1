#pragma once
// The controller Wi-Fi settings dialog of one screen: mode 1 joins a network
// (chosen from those this computer sees, or typed), mode 2 opens the
// controller's own. Read and write show their results in red. Without a
// screen the dialog closes itself.
#include <QByteArray>
#include "app/dialogs/device/KeptScreenBlock.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class CCore;
struct tagItemData;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace dialogs {

class WifiScanner;

class CSettingWIFI : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6282,
        IDC_MODE_JOIN = 6305, IDC_MODE_OWN = 6306,
        IDC_NETWORK = 6311, IDC_RESCAN = 6312, IDC_JOIN_KEY = 6308,
        IDC_OWN_NAME = 6304, IDC_ENCRYPTION = 6303, IDC_SECURITY = 6310, IDC_OWN_KEY = 6307,
        IDC_RESULT = 6309, IDC_READ = 6288, IDC_WRITE = 6289,
    };
    enum : unsigned { IDS_ENCRYPTIONS = 48274, IDS_SECURITIES = 48275, IDS_READ_DONE = 48276,
                      IDS_READ_FAILED = 48277, IDS_WRITE_DONE = 48278, IDS_WRITE_FAILED = 48279,
                      IDI_RESCAN = 6059 };

    // A null scanner asks NetworkManager on the system bus; the dialog keeps it.
    CSettingWIFI(CCore& core, tagItemData* screen, QWidget* parent = nullptr, WifiScanner* scanner = nullptr);
    ~CSettingWIFI() override;
    void setMainFrame(QObject* frame) { m_frame = frame; }

    int exec() override;

    void ScanNetworks();
    void UpdateMode();
    void UpdateSecurity();
    void OnBnClickedRead();
    void OnBnClickedWrite();
    QString resultText() const;
    // Puts back what a read changed and the controller did not take.
    void reject() override;

private:
    bool joinMode() const;
    void setModeFromScreen();
    void onNetworkChosen(int index);
    // The bytes to store for a text: those it was shown from, else the text encoded.
    QByteArray bytesFor(const QString& text, const QByteArray& shownFrom) const;

    CCore& m_core;
    tagItemData* m_screen;
    QPointer<QObject> m_frame;
    KeptScreenBlock m_kept;
    std::unique_ptr<WifiScanner> m_scanner;
    QRadioButton* m_join;
    QRadioButton* m_own;
    QComboBox* m_network;
    QToolButton* m_rescan;
    QLineEdit* m_joinKey;
    QLineEdit* m_ownName;
    QComboBox* m_encryption;
    QComboBox* m_security;
    QLineEdit* m_ownKey;
    QLabel* m_result;
};

} // namespace dialogs
