#pragma once
// The controller network settings dialog of one screen: automatic or fixed
// addresses and the controller's port, read from and written to the
// controller. Results show in red; a fixed address that is not a dotted
// IPv4 address refuses the write.
#include "app/dialogs/device/KeptScreenBlock.h"

#include <QDialog>
#include <QPointer>

class CCore;
struct tagItemData;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace dialogs {

class CUnitSpinEdit;

class CSettingWan : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6277,
        IDC_LOCAL_IP = 6276, IDC_DHCP = 6278, IDC_FIXED = 6279,
        IDC_IP = 6274, IDC_MASK = 6282, IDC_GATEWAY = 6285, IDC_ADDRESS4 = 6286, IDC_ADDRESS5 = 6287,
        IDC_PORT = 6275, IDC_PORT_SPIN = 6190, IDC_RESULT = 6309, IDC_READ = 6288, IDC_WRITE = 6289,
    };
    enum : unsigned { IDS_READ_DONE = 48276, IDS_READ_FAILED = 48277, IDS_WRITE_DONE = 48278,
                      IDS_WRITE_FAILED = 48279, IDS_NOT_AN_ADDRESS = 63150 };

    CSettingWan(CCore& core, tagItemData* screen, QWidget* parent = nullptr);
    void setMainFrame(QObject* frame) { m_frame = frame; }

    void LoadFromScreen();
    void SuggestMask();
    void OnBnClickedRead();
    void OnBnClickedWrite();
    QString resultText() const;
    // Puts back what a read changed and the controller did not take.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void enableAddresses();

    CCore& m_core;
    tagItemData* m_screen;
    QPointer<QObject> m_frame;
    KeptScreenBlock m_kept;
    QLineEdit* m_local;
    QRadioButton* m_dhcp;
    QRadioButton* m_fixed;
    QLineEdit* m_address[5];
    CUnitSpinEdit* m_port;
    QLabel* m_result;
};

} // namespace dialogs
