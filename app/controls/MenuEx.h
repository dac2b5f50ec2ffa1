#pragma once
// CMenuEx: a pop-up menu whose owner-drawn entries have an icon strip on the
// left, a highlight box and a "√" check glyph. Plain entries are drawn by the
// platform; an entry becomes owner-drawn through AppendOwnerDrawn.
#include <QColor>
#include <QIcon>
#include <QMenu>
#include <QProxyStyle>
#include <QSize>

namespace controls {

// One owner-drawn entry: command id (0 separator, -1 sub-menu), icon, and a
// value that widens the entry by 30 pixels when it is 0 or more.
struct tagMENUITEM {
    QString text;
    int id = 0;
    int iconIndex = -1;
    int extra = -1;
    QIcon icon;
};

struct MenuExMetrics {
    int separatorHeight = 10;
    int iconWidth = 16;
    int iconHeight = 15;
    QColor background{0xEF, 0xF3, 0xFF};        // COLORREF 0xFFF3EF
    QColor highlightFill{0xC8, 0x64, 0xFF};     // 0xFF64C8
    QColor highlightFrame{0x31, 0x6A, 0xC5};    // 0xC56A31
    QColor strip{0xD2, 0xD2, 0xD2};
    // Size of an entry whose text is `textWidth` wide.
    QSize measure(const tagMENUITEM& item, int textWidth, bool hasSubmenu) const;
};

class CMenuEx : public QMenu {
    Q_OBJECT
public:
    explicit CMenuEx(QWidget* parent = nullptr);
    ~CMenuEx() override;
    QAction* AppendOwnerDrawn(const tagMENUITEM& item);
    const tagMENUITEM* RecordFor(const QAction* action) const;
    const MenuExMetrics& Metrics() const { return m_metrics; }

private:
    MenuExMetrics m_metrics;
    QList<QPair<QAction*, tagMENUITEM>> m_records;
    class MenuExStyle* m_style;
};

class MenuExStyle : public QProxyStyle {
public:
    explicit MenuExStyle(const CMenuEx* menu);
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

private:
    const tagMENUITEM* recordOf(const QStyleOption* option) const;
    const CMenuEx* m_menu;
};

} // namespace controls
