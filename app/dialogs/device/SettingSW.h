#pragma once
// The software settings dialog: four program options, the serial ports the
// user adds by hand and the colour threshold. The options and the threshold
// change on Apply or OK only (applied() hands the options to the caller);
// the port list changes in the core at once.
#include <QDialog>
#include <QPointer>

class CCore;
class QCheckBox;
class QListWidget;
class QSpinBox;
namespace controls {
class CPostFixEdit;
}

namespace dialogs {

struct SoftwareOptions {
    bool closeByTray = false;
    bool autoRetrieve = false;
    bool quitNote = false;
    bool saveLed = false;
    bool operator==(const SoftwareOptions&) const = default;
};

// The user port a typed text names: digits n give "COMn", an absolute path
// stands for itself (a device may be absent now and present later); empty
// when the text names no port.
QString UserSerialPortName(const QString& typed);

class CSettingSW : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6097,
        IDC_CLOSE_BY_TRAY = 6267, IDC_AUTO_RETRIEVE = 6269, IDC_QUIT_NOTE = 6313, IDC_SAVE_LED = 6314,
        IDC_PORT_EDIT = 6210, IDC_PORT_LIST = 6209, IDC_THRESHOLD = 6190, IDC_PORT_ADD = 6188,
        IDC_PORT_REMOVE = 6191, IDC_APPLY = 6274, IDC_DEFAULTS = 6275, IDC_OK = 6276, IDC_CANCEL = 6277,
    };
    enum : unsigned { IDS_BAD_PORT_NUMBER = 63152 };

    CSettingSW(CCore& core, const SoftwareOptions& options, QWidget* parent = nullptr);
    void setMainFrame(QObject* frame) { m_frame = frame; }
    // The screen-link page, told when the user's serial ports change.
    void setLinkPage(QObject* page) { m_linkPage = page; }

    void Apply();
    void OnBnClickedAddPort();
    void OnBnClickedRemovePort();
    void OnBnClickedDefaults();
    // The options as last applied (those given when never applied).
    SoftwareOptions appliedOptions() const { return m_applied; }

signals:
    void applied(const dialogs::SoftwareOptions& options);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // False (the edit kept, the user told) when the text names no port.
    bool addTypedPort();
    void showPortPrefix();
    void addListed(const QString& name);

    CCore& m_core;
    QPointer<QObject> m_frame;
    QPointer<QObject> m_linkPage;
    SoftwareOptions m_applied;
    QCheckBox* m_closeByTray;
    QCheckBox* m_autoRetrieve;
    QCheckBox* m_quitNote;
    QCheckBox* m_saveLed;
    controls::CPostFixEdit* m_portEdit;
    QListWidget* m_ports;
    QSpinBox* m_threshold;
};

} // namespace dialogs
