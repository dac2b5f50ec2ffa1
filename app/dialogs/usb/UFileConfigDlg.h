#pragma once
// The USB-stick file dialog: what goes into "program.dat" (programs,
// hardware block, clock, or a reset, clear or firmware image for a model)
// and where it is written: the root of a removable volume, re-read while the
// dialog is open, or a picked folder. The caller writes the file from the
// results after Accepted.
#include "app/dialogs/usb/UsbExport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QTimer;
namespace controls {
class CRangeEdit;
}

namespace dialogs {

class CUFileConfigDlg : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6280,
        IDC_KIND0 = 6294,
        IDC_CLOCK = 6298,
        IDC_HARDWARE = 6299,
        IDC_PROGRAMS = 6300,
        IDC_OFFSET = 6190,
        IDC_DESTINATION = 6315,
        IDC_MODEL = 6316,
        IDC_LABEL_DESTINATION = 6301,
        IDC_LABEL_MODEL = 6302,
    };
    // The volumes' mount points, each followed by ";" (the shell's drive query).
    using DriveQuery = std::function<QString()>;

    CUFileConfigDlg(std::uint32_t hardwareId, bool screenSelected, DriveQuery drives, QWidget* parent = nullptr);

    unsigned flags() const { return m_content.flags(); }
    int clockOffset() const { return m_offset; }
    // The chosen folder or volume root (ends with "/"), empty for none.
    QString destination() const { return m_destination; }
    std::uint32_t model() const { return m_model; }

    // Re-reads the volumes (also done by a timer while the dialog is open).
    void OnDeviceChange();
    void OnDestinationChosen(int index);
    void OnKind(int kind);
    void setPollInterval(int ms);

public slots:
    void accept() override;

private:
    void rebuildDestinations(int select);
    void updateEnables();

    UsbContent m_content;
    int m_offset = 60;
    QString m_destination;
    std::uint32_t m_model = 0;
    bool m_screenSelected;
    DriveQuery m_drives;
    UsbDestinations m_list;
    int m_lastIndex = -1;

    QRadioButton* m_kinds[4];
    QCheckBox* m_clock;
    QCheckBox* m_hardware;
    QCheckBox* m_programs;
    controls::CRangeEdit* m_offsetEdit;
    QComboBox* m_destCombo;
    QComboBox* m_modelCombo;
    QTimer* m_poll;
};

} // namespace dialogs
