#pragma once
// Check-box drop list, font-face list and point-size list.
#include <QComboBox>

class QStandardItemModel;

namespace controls {

// A drop list whose items carry check boxes. Its closed face shows the checked
// items joined by the list separator; clicking items keeps the list open.
class CCheckComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CCheckComboBox(QWidget* parent = nullptr);

    int addItemChecked(const QString& text, bool checked = false);
    // Stores the state as the item's data; false for an invalid index.
    bool SetCheck(int index, bool checked);
    bool GetCheck(int index) const;
    // The check as item data: non-zero means checked (setItemData with the
    // default role does the same).
    bool setItemCheckData(int index, qintptr data) { return SetCheck(index, data != 0); }

    // The list separator (default from the locale); "; " when empty.
    void setListSeparator(const QString& sep);
    QString listSeparator() const { return m_separator; }
    static QString defaultListSeparator();

    // The text of the closed face.
    QString faceText() const;
    // Toggles an item as a click or Space in the open list does.
    void toggle(int index);

    QSize sizeHint() const override;

signals:
    void checkToggled(int index);

protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QStandardItemModel* m_model;
    QString m_separator;
    mutable QString m_face;
    mutable bool m_faceValid = false;
};

// Lists the installed font faces; its drop-down is as wide as the widest.
class CFontComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CFontComboBox(QWidget* parent = nullptr);
    // Fills the list with the font families (or the given faces).
    void FillFonts(const QStringList& faces = QStringList());
    // Selects the first entry whose text equals the name exactly.
    void SelectByName(const QString& name);
    int widestEntry() const { return m_widest; }
    void showPopup() override;

private:
    int m_widest = 0;
};

// The sixteen usual point sizes.
class CSizeComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CSizeComboBox(QWidget* parent = nullptr);
    void FillSizes();
};

} // namespace controls
