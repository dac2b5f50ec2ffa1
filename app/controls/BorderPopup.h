#pragma once
// The drop-down of twelve border presets (4 x 3). A release inside ends with
// the hovered preset (or the initial pattern when none was hovered), a release
// outside or leaving the application cancels. It then deletes itself.
#include "app/controls/BorderSpec.h"

#include <QWidget>

namespace controls {

class CBorderPopup : public QWidget {
    Q_OBJECT
public:
    CBorderPopup(int buttonWidth, const BorderSpec& initial, QWidget* owner, const QString& caption, int x,
                 int y);
    ~CBorderPopup() override;

    int hoverIndex() const { return m_hover; }
    int cellSize() const { return m_cell; }
    int margin() const { return m_margin; }
    QRect cellRect(int index) const;
    int hitTest(QPoint p) const;
    bool ended() const { return m_ended; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void closeEvent(QCloseEvent*) override;
    bool event(QEvent*) override;

private:
    void end(bool ok);

    QWidget* m_owner;
    QString m_caption;
    int m_margin = 2;
    int m_cell = 20;
    int m_hover = -1;
    int m_buttonWidth;
    BorderSpec m_initial, m_result;
    bool m_ended = false;
    QMetaObject::Connection m_appState;
};

} // namespace controls
