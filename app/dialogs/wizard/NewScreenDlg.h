#pragma once
// The new-screen dialog: address, size and work mode of a screen about to
// be created, edited on a scratch screen with the core's defaults. Create
// hands the screen to the frame (WM_ITEM_MOVED) and ends with 1021; Search
// ends with 1023 so the frame searches instead; Cancel ends with 1022.
// Whatever the frame did not take is deleted with the dialog.
#include <QDialog>

class CCore;
struct tagItemData;
class QComboBox;
class QRadioButton;
class QLineEdit;

namespace dialogs {

class CUnitSpinEdit;

struct NewScreenValues {
    int address = 1;
    int width = 64;       // LEDs as typed
    int height = 32;
    int workMode = 17;    // code
};

// Writes the values into a screen: address, width and height clamped to the
// dialog's ranges and rounded up to whole panels, the work mode and the scan
// mode the core derives from it.
void ApplyNewScreenValues(tagItemData* screen, const NewScreenValues& v);

class CNewScreenDlg : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6529,
        IDC_CREATE = 6252,
        IDC_SEARCH = 6253,
        IDC_CANCEL = 6254,
        IDC_ADDRESS = 6017,
        IDC_ADDRESS_SPIN = 6018,
        IDC_WIDTH = 6019,
        IDC_HEIGHT = 6020,
        IDC_WIDTH_SPIN = 6036,
        IDC_HEIGHT_SPIN = 6037,
        IDC_WORKMODE = 6024,
        IDC_PRESET_COLOUR = 6436,
        IDC_PRESET_MONO = 6437,
        IDC_OWN = 6438,
        IDC_LABEL_ADDRESS = 6003,
        IDC_LABEL_WIDTH = 6004,
        IDC_LABEL_HEIGHT = 6005,
        IDC_LABEL_MODE = 6006,
        RESULT_CREATED = 1021,
        RESULT_CANCELLED = 1022,
        RESULT_SEARCH = 1023,
    };
    // `frame` receives WM_ITEM_MOVED; the parent when null.
    CNewScreenDlg(CCore& core, QWidget* parent = nullptr, QObject* frame = nullptr);
    ~CNewScreenDlg() override;

    tagItemData* scratchScreen() const { return m_screen; }
    NewScreenValues values() const;

    void OnCreate();
    void OnPreset(int id);

protected:
    void reject() override;

private:
    CCore& m_core;
    QObject* m_frame;
    tagItemData* m_header = nullptr;
    tagItemData* m_screen = nullptr;
    CUnitSpinEdit* m_address;
    CUnitSpinEdit* m_width;
    CUnitSpinEdit* m_height;
    QComboBox* m_mode;
    QRadioButton* m_presets[3];
};

} // namespace dialogs
