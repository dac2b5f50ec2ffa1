#pragma once
// Right panel of the screen page: how the program reaches the screen's
// controller. Every change is written into the screen node at once; the
// next transfer uses it. Nothing here repaints.
#include "app/panels/PanelBase.h"

#include <QList>

class QCheckBox;
class QComboBox;
class QLineEdit;
namespace controls {
class CIconButton;
class CMaskEdit;
class CRangeEdit;
}

namespace panels {

class CPropertyScreenComm : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6190;
    enum : int {
        IdLinkType = 6192, IdSerial = 6193, IdBaud = 6187, IdAdapter = 6194, IdMac = 6200, IdRefresh = 6207,
        IdIp = 6270, IdByName = 6271, IdHostName = 6272, IdPort = 6203,
    };

    CPropertyScreenComm(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;
    spine::NodeChanges shownChanges() const override { return spine::NodeChange::Link | spine::NodeChange::Hardware; }
    spine::NodeChanges changesOf(const FieldBinding&) const override { return spine::NodeChange::Link; }
    // WM_SETTINGS_CHANGED: wParam 2 refills the list of link type lParam.
    int OnSettingsChanged(platform::WPARAM w, platform::LPARAM l);
    int shownLinkType() const { return m_shown; }

    // The link type, serial port number, baud rate, adapter, host kind and
    // port. The host text and the MAC address are kept by hand: a text is
    // stored only when whole and acceptable, the MAC as six bytes.
    static std::span<const FieldBinding> bindings();

    // The number a serial entry names (-1 when it names none).
    static int serialNumberOf(const CCore& core, const QString& entry);
    // Copies text into a narrow field of `size` bytes, always terminated,
    // never splitting a character; the rest of the field is zeroed.
    static void copyHost(char* field, std::size_t size, const QString& text);
    // What the host and port fields take: a whole non-zero address; by name
    // also any name that is not digits and dots alone, which a resolver
    // would read as a short address. Ports 1-65535.
    static bool acceptableHost(const QString& text, bool byName);
    static bool acceptablePort(const QString& text);

protected:
    bool OnInitDialog() override;
    bool event(QEvent* e) override;

private:
    void fillLinkList(int type);
    void showLinkGroup(int type);
    void loadLinkValues(int type);
    QList<QWidget*> groupWidgets(int type) const;
    void applyHostKind(bool byName);
    // The host text (as it stands, terminated and cut to the field), told as a link change.
    void storeHost(const QString& text);

    void onLinkType(int index);
    void onSerial(int index);
    void onBaud(int index);
    void onAdapter(int index);
    void onMac();
    void onByName();
    void onIp();
    void onHostName();
    void onPort();
    // Editing ended on a text the field refuses: the stored value comes back.
    void onHostDone(QLineEdit* edit, bool byName);
    void onPortDone();
    void refuse(QLineEdit* edit, const QString& stored, const QString& cue);
    void onRefresh();

    int m_shown = 0;
    QComboBox* m_linkType = nullptr;
    QComboBox* m_serial = nullptr;
    QComboBox* m_baud = nullptr;
    QComboBox* m_adapter = nullptr;
    controls::CMaskEdit* m_mac = nullptr;
    controls::CIconButton* m_refresh = nullptr;
    QLineEdit* m_ip = nullptr;
    QCheckBox* m_byName = nullptr;
    QLineEdit* m_hostName = nullptr;
    controls::CRangeEdit* m_port = nullptr;
    QWidget* m_hostRow = nullptr;
    QWidget* m_labels[6] = {};
};

} // namespace panels
