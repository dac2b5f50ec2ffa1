#pragma once
// A toolbar filled from a toolbar template and its image strip of the language
// pack; each button's tip is the text after the first line feed of the string
// with the button's command id.
#include <QToolBar>

namespace controls {

class CToolBarCtrlEx : public QToolBar {
    Q_OBJECT
public:
    explicit CToolBarCtrlEx(QWidget* parent = nullptr);

    bool Create(QWidget* parent, int id);
    // False when the template or its image strip is missing.
    virtual bool LoadToolBar(unsigned resourceId);
    // The tip of a command: the text after the first line feed (all of it when
    // there is none), at most 79 characters.
    static QString tipText(const QString& resourceString);

    QAction* actionForCommand(int commandId) const;

signals:
    void command(int commandId);
};

} // namespace controls
