#pragma once
// The controller hardware settings dialog of one screen: edits the screen
// block's display settings, reads them from and sends them to the
// controller, resets it and upgrades its firmware. The block is written only
// by Send. Messages go to the main frame (the parent unless set).
#include "app/dialogs/device/HwSettings.h"

#include "app/dialogs/device/KeptScreenBlock.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class CCore;
struct tagItemData;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTimeEdit;
namespace controls {
class CCheckComboBox;
}

namespace dialogs {

class CUnitSpinEdit;

class CSettingHW : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6019,
        IDC_ADDRESS = 6017, IDC_ADDRESS_SPIN = 6018,
        IDC_WIDTH = 6019, IDC_WIDTH_SPIN = 6036,
        IDC_HEIGHT = 6020, IDC_HEIGHT_SPIN = 6037,
        IDC_WORKMODE = 6024,
        IDC_SCAN = 6126, IDC_SCAN_SPIN = 6125,
        IDC_ROWDECODE = 6026,
        IDC_REFRESH = 6027, IDC_REFRESH_SPIN = 6038,
        IDC_LUM = 6029, IDC_LUM_SPIN = 6039,
        IDC_OPTION0 = 6028, IDC_OPTION1 = 6041, IDC_OPTION2 = 6043, IDC_OPTION3 = 6044,
        IDC_FAST_SERIAL = 6040, IDC_LINK_BIT1 = 6042,
        IDC_AUTOSWITCH = 6021, IDC_WEEKDAYS = 6031, IDC_TIME_ON = 6032, IDC_TIME_OFF = 6033,
        IDC_VERSION = 6046, IDC_HARDWARE_ID = 6047, IDC_VERSION_WORD = 6048, IDC_VERSION_STATUS = 6045,
        IDC_READ = 6030, IDC_SEND = 6023, IDC_RESET = 6025, IDC_UPGRADE = 6022,
        IDC_RESULT = 6309,
    };
    enum : unsigned { IDS_READ_DONE = 48276, IDS_READ_FAILED = 48277, IDS_WRITE_DONE = 48278,
                      IDS_WRITE_FAILED = 48279 };

    CSettingHW(CCore& core, tagItemData* screen, QWidget* parent = nullptr);

    // Where WM_STATUS_IDLE and WM_SCREEN_RECONNECT go.
    void setMainFrame(QObject* frame) { m_frame = frame; }

    void LoadFromScreen();
    void ShowVersionInfo();
    void OnBnClickedRead();
    void OnBnClickedSend();
    void OnBnClickedReset();
    void OnBnClickedUpgrade();
    void OnBnClickedAutoSwitch();
    void OnCbnSelchangeWorkMode();

    // Puts back what a read or an edit changed and the controller did not take.
    void reject() override;

    // What the controls hold now.
    HwSettingsValues values() const;
    // The red result of the last read or send.
    QString resultText() const;

private:
    void buildLayout();
    void setValues(const HwSettingsValues& v);
    QObject* frameTarget() const;

    CCore& m_core;
    tagItemData* m_screen;
    QPointer<QObject> m_frame;
    KeptScreenBlock m_kept;
    CUnitSpinEdit* m_address;
    CUnitSpinEdit* m_width;
    CUnitSpinEdit* m_height;
    CUnitSpinEdit* m_scan;
    CUnitSpinEdit* m_refresh;
    CUnitSpinEdit* m_lum;
    QComboBox* m_workMode;
    QComboBox* m_rowDecode;
    QCheckBox* m_option[4];
    QCheckBox* m_fastSerial;
    QCheckBox* m_linkBit1;
    QCheckBox* m_autoSwitch;
    controls::CCheckComboBox* m_weekDays;
    QTimeEdit* m_timeOn;
    QTimeEdit* m_timeOff;
    QLabel* m_version;
    QLabel* m_hardwareId;
    QLabel* m_word;
    QLabel* m_status;
    QLabel* m_result;
    QPushButton* m_upgrade;
};

} // namespace dialogs
