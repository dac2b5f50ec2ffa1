#pragma once
// The shell's small modal dialogs: the quit question (6235) and the two
// test-pattern dialogs (6273, 6274), whose values live on between runs.
#include <QDialog>

class QButtonGroup;
class QVBoxLayout;
class QLineEdit;

namespace shell {

class CQuerySaveDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 6235, IDC_FIRST = 6525, IDC_QUIT = 6529, IDC_CANCEL = 6531, IDC_LAST = 6531 };
    enum { RESULT_QUIT = 1105, RESULT_OTHER = 1106, RESULT_CANCEL = 2 };
    explicit CQuerySaveDlg(QWidget* parent = nullptr);
    void retranslate();
    // The result a button of the dialog ends it with.
    static int ResultForButton(int controlId);

protected:
    void reject() override;
};

// Values of the scanning test: colour 0 red, 1 green, 2 yellow, 3 the command's own;
// direction 0-3; entry speed.
struct TestScanValues {
    int colour = 0;
    int direction = 0;
    int speed = 120;
};
// Values of the grid test: colour 0 red, 1 green, 2 red and green; stay time in ms.
struct TestGridValues {
    int colour = 0;
    int stay = 300;
};
TestScanValues& TestScanSettings();
TestGridValues& TestGridSettings();

// Base of the two: one radio group or two and one number edit, exchanged
// with the stored values on opening and on OK.
class CTestDialogBase : public QDialog {
    Q_OBJECT
public:
    void retranslate();
    void accept() override;

protected:
    CTestDialogBase(int templateId, QWidget* parent);
    QButtonGroup* addRadioGroup(int firstId, int count, int labelId);
    QLineEdit* addNumberEdit(int id, int labelId);
    void finishLayout();
    virtual void load() = 0;
    virtual void store() = 0;
    static void setChecked(QButtonGroup* group, int index);

    int m_templateId;
    QVBoxLayout* m_body = nullptr;
};

class CTestScan : public CTestDialogBase {
    Q_OBJECT
public:
    enum { IDD = 6273, IDC_DIRECTION = 6260, IDC_COLOUR = 6264, IDC_SPEED = 6255 };
    explicit CTestScan(QWidget* parent = nullptr);

private:
    void load() override;
    void store() override;
    QButtonGroup* m_colour;
    QButtonGroup* m_direction;
    QLineEdit* m_speed;
};

class CTestGrid : public CTestDialogBase {
    Q_OBJECT
public:
    enum { IDD = 6274, IDC_COLOUR = 6260, IDC_STAY = 6263 };
    explicit CTestGrid(QWidget* parent = nullptr);

private:
    void load() override;
    void store() override;
    QButtonGroup* m_colour;
    QLineEdit* m_stay;
};

} // namespace shell
