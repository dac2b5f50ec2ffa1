#pragma once
// The search scope dialog: which links the controller search uses, which
// serial ports, adapters and TCP ports it leaves out, and which addresses it
// probes. Every change reaches the core's lists at once (Cancel keeps
// them); Search posts WM_SEARCH_SCREENS to the main frame.
#include <QDialog>
#include <QPointer>

class CCore;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QRadioButton;
class QToolButton;
class QVBoxLayout;

namespace dialogs {

class CSettingRetrieveDlg : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6471,
        IDC_SERIAL = 6472, IDC_SERIAL_LIST = 6474, IDC_SERIAL_REFRESH = 6473,
        IDC_LAN = 6475, IDC_ADAPTER_LIST = 6477, IDC_ADAPTER_REFRESH = 6476,
        IDC_WAN = 6489, IDC_PORT_LIST = 6491, IDC_PORT_EDIT = 6290, IDC_PORT_ADD = 6492, IDC_PORT_DEL = 6493,
        IDC_SINGLE = 6478, IDC_RANGE = 6479, IDC_RANGE16 = 6480, IDC_RANGE254 = 6484,
        IDC_ADDRESS_LIST = 6197, IDC_SELECT_ALL = 6485, IDC_REPLACE = 6486, IDC_READ_HW = 6151,
        IDC_SEARCH = 6488,
    };
    enum : unsigned { IDI_REFRESH = 6059, IDI_ADD = 6206, IDI_DELETE = 6205, IDI_SEARCH = 6032,
                      IDS_BAD_PORT = 63151, IDS_NO_LINK_KIND = 63160 };

    CSettingRetrieveDlg(CCore& core, QWidget* parent = nullptr);
    void setMainFrame(QObject* frame) { m_frame = frame; }

    void FillSerialList();
    void FillAdapterList();
    void FillPortList();
    void SetAddressCount(int radioId);
    void OnBnClickedAddPort();
    void OnBnClickedDelPort();
    void OnBnClickedSearch();

    // The range radio for a scope's last number (0: empty scope).
    static int RangeRadioFor(int lastAddress);
    static int RangeSizeOf(int radioId);

private:
    void buildLayout();
    void loadState();
    void rebuildAddressList();
    void onEnableSerial();
    void onEnableLan();
    void onEnableWan();
    void onSingle();
    void onRange();
    void onSelectAll();
    void onItemChanged(QListWidgetItem* item);
    void showRange(bool on);
    QListWidgetItem* addCheckItem(QListWidget* list, const QString& text, bool checked);

    CCore& m_core;
    QPointer<QObject> m_frame;
    bool m_listsReady = true;
    QCheckBox* m_serial;
    QCheckBox* m_lan;
    QCheckBox* m_wan;
    QListWidget* m_serialList;
    QListWidget* m_adapterList;
    QListWidget* m_portList;
    QListWidget* m_addressList;
    QToolButton* m_serialRefresh;
    QToolButton* m_adapterRefresh;
    QLineEdit* m_portEdit;
    QToolButton* m_portAdd;
    QToolButton* m_portDel;
    QRadioButton* m_single;
    QRadioButton* m_range;
    QButtonGroup* m_sizes;
    QCheckBox* m_selectAll;
    QCheckBox* m_replace;
    QCheckBox* m_readHw;
    QGroupBox* m_addresses;
    QVBoxLayout* m_layout;
};

} // namespace dialogs
