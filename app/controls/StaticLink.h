#pragma once
// A text label drawn as a web link: blue, red under the mouse, purple after a
// successful visit. With its link behaviour off it is a clickable label that
// sends a command to its parent.
#include <QLabel>

namespace controls {

class CHyperlink {
public:
    virtual ~CHyperlink() = default;
    // Opens the target; a result above 32 means success, 0 an empty target.
    virtual int Navigate();
    QString target;
};

class CStaticLink : public QLabel {
    Q_OBJECT
public:
    explicit CStaticLink(QWidget* parent = nullptr);
    CStaticLink(const QString& text, QWidget* parent = nullptr);

    CHyperlink m_link;
    bool m_bLink = true;

    QColor colour() const { return m_colour; }
    bool isHovering() const { return m_hover; }

signals:
    void commandClicked(int controlId);

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

private:
    void setColour(const QColor& c);

    QColor m_colour{0, 0, 255};
    bool m_hover = false;
};

} // namespace controls
