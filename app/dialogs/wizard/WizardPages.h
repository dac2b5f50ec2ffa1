#pragma once
// The five pages of the set-up wizard.
#include "app/dialogs/wizard/Wizard.h"

#include <cstdint>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedLayout;
class QTextEdit;
struct tagGlobalInfo;

namespace dialogs {

class CUnitSpinEdit;

// Page 1: the controller model, with its description.
class CWizardSelModel : public CPage {
    Q_OBJECT
public:
    enum { IDD = 6115, IDC_MODEL = 6116, IDC_DESCRIPTION = 6239, IDC_KEEP = 6118, IDC_MODEL_LABEL = 6160 };
    bool Create(CWizard* wizard) override;
    int ShowPage() override;
    int OnNext() override;
    int OnFinish() override;
    void OnModelChanged();
    void OnKeep();

private:
    void store();
    QComboBox* m_model = nullptr;
    QTextEdit* m_description = nullptr;
    QCheckBox* m_keep = nullptr;
    QLabel* m_label = nullptr;
};

// Page 2: the link kind and network port.
class CWizardSelComm : public CPage {
    Q_OBJECT
public:
    enum { IDD = 6420, IDC_SERIAL = 6421, IDC_ETHERNET = 6422, IDC_NETWORK = 6423, IDC_PORT = 6275, IDC_HINT = 6159,
           IDC_PORT_LABEL = 6276, IDC_SERIAL_PORT_LABEL = 6424, IDC_SERIAL_PORT = 6425 };
    bool Create(CWizard* wizard) override;
    int ShowPage() override;
    int OnNext() override;
    int OnFinish() override;
    void UpdateHint();
    int port() const;

private:
    int mode() const;
    void fillSerialPorts();
    void storeSerialPort();
    QRadioButton* m_modes[3] = {};
    QComboBox* m_serialPort = nullptr;
    QLineEdit* m_port = nullptr;
    QLabel* m_hint = nullptr;
};

// The size, work-mode, scan and option controls the search result panel
// and the hardware page share.
class CWizardHwForm : public QWidget {
    Q_OBJECT
public:
    enum {
        IDC_ADDRESS = 6017, IDC_ADDRESS_SPIN = 6018, IDC_WIDTH = 6019, IDC_HEIGHT = 6020, IDC_WIDTH_SPIN = 6036,
        IDC_HEIGHT_SPIN = 6037, IDC_WORKMODE = 6024, IDC_SCAN = 6126, IDC_SCAN_SPIN = 6125, IDC_ROWDECODE = 6026,
        IDC_REFRESH = 6027, IDC_REFRESH_SPIN = 6038, IDC_LUM = 6029, IDC_LUM_SPIN = 6039, IDC_OPTION0 = 6028,
        IDC_OPTION1 = 6041, IDC_OPTION2 = 6043, IDC_OPTION3 = 6044,
    };
    // `full`: with address, refresh rate and brightness (the hardware page).
    CWizardHwForm(bool full, int maxWidthUnits, int maxHeightUnits, QWidget* parent);
    void loadFromScreen(const tagGlobalInfo& g);
    // Writes what the form holds; the brightness is `lum` unless the form has its own.
    void store(tagGlobalInfo& g, int lum) const;
    void OnWorkModeChanged();
    void setOwnChoiceEnabled(bool on);
    int workModeRow() const;
    void selectWorkModeRow(int row);

private:
    bool m_full;
    CUnitSpinEdit* m_address = nullptr;
    CUnitSpinEdit* m_width;
    CUnitSpinEdit* m_height;
    QComboBox* m_mode;
    CUnitSpinEdit* m_scan;
    QComboBox* m_rowDecode;
    CUnitSpinEdit* m_refresh = nullptr;
    CUnitSpinEdit* m_lum = nullptr;
    QCheckBox* m_options[4];
};

// The search's result panel: what the controller reported, adjustable.
class CWizardRetrieveSuccess : public QWidget {
    Q_OBJECT
public:
    enum { IDD = 6435, IDC_PRESET_COLOUR = 6436, IDC_PRESET_MONO = 6437, IDC_OWN = 6438, IDC_READ = 6188,
           IDC_WRITE = 6439, IDC_RESULT = 6445 };
    // `model`: the model the operator chose, which a read keeps (none: the read one stands).
    CWizardRetrieveSuccess(CCore& core, std::function<tagItemData*()> screen,
                           std::function<std::optional<std::uint32_t>()> model, QWidget* parent);
    void LoadFromScreen(tagItemData* screen);
    // Writes the panel into the screen and sends it; true when the send went
    // through. Each of these shows its outcome on the panel.
    bool Apply(tagItemData* screen);
    // Reads the controller's settings into the screen and the panel.
    bool Read(tagItemData* screen);
    void OnPreset(int id);
    void OnRead();
    // True when the settings were taken and the display restarted.
    bool OnWrite();

private:
    CCore& m_core;
    std::function<tagItemData*()> m_screen;
    std::function<std::optional<std::uint32_t>()> m_model;
    CWizardHwForm* m_form;
    QRadioButton* m_presets[3];
    QLabel* m_result = nullptr;
};

// Page 3: searches for the new screen's controller.
class CWizardRetrieve : public CPage {
    Q_OBJECT
public:
    enum { IDD = 6430, IDC_STATUS = 6431, IDC_ICON = 6434, IDC_RETRY = 6442, FAIL_IDD = 6441 };

    bool Create(CWizard* wizard) override;
    int ShowPage() override;
    int OnBack() override;
    int OnNext() override;
    int OnFinish() override;
    void OnRetry();
    void clearSearched() { m_searched = false; }

    CWizardRetrieveSuccess* resultPanel() const { return m_success; }
    QWidget* failurePanel() const { return m_fail; }

private:
    bool applyShown();
    QLabel* m_status = nullptr;
    QLabel* m_icon = nullptr;
    CWizardRetrieveSuccess* m_success = nullptr;
    QWidget* m_fail = nullptr;
    QWidget* m_pending = nullptr;   // the outcome's place while searching
    QStackedLayout* m_outcome = nullptr;
    bool m_searched = false;
};

// Page 4: the hardware settings of the new screen.
class CWizardHwConfig : public CPage {
    Q_OBJECT
public:
    enum { IDD = 6451, IDC_READ = 6225, IDC_WRITE = 6452, IDC_NOTE = 6045, IDC_RESULT = 6455 };
    bool Create(CWizard* wizard) override;
    int ShowPage() override;
    int OnBack() override;
    int OnNext() override;
    int OnFinish() override;
    void OnRead();
    // True when the settings were taken and the display restarted.
    bool OnWrite();

private:
    void store();
    CWizardHwForm* m_form = nullptr;
    QLabel* m_result = nullptr;
    bool m_stored = false;
};

// Page 5: what the frame does with the new screen.
class CWizardEditProgram : public CPage {
    Q_OBJECT
public:
    enum { IDD = 6461, IDC_STARTER = 6162, IDC_SEND = 6463 };
    bool Create(CWizard* wizard) override;
    int ShowPage() override;
    int OnFinish() override;

private:
    QCheckBox* m_starter = nullptr;
    QCheckBox* m_send = nullptr;
};

} // namespace dialogs
