#pragma once
// The screen panel: the docked window that holds the tree of the open
// screens and remembers each screen's program-list file ("*.pl"). It opens,
// saves and compares those files, asks before a changed screen is closed or
// replaced, moves a screen's file when the screen is renamed, and at
// shut-down saves and closes every screen while filling the open-screen
// lists of "config.ini".
//
// The tree is reached through ScreenTree, so the tree editor plugs in; until
// one is given the panel shows the screens as top-level rows. The screen
// windows follow a screen's name and programs through the change notice.
#include "app/shell/ConfigFiles.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

class CCore;
struct tagItemData;

namespace shell {

// Base of the docked panels: a plain window in the button-face colour.
class CPanel : public QWidget {
    Q_OBJECT
public:
    explicit CPanel(QWidget* parent = nullptr);
};

// What the panel needs of the tree that shows the screens.
class ScreenTree {
public:
    virtual ~ScreenTree() = default;
    virtual QWidget* widget() = 0;
    // Shows the screen with its whole subtree (again, after a load).
    virtual void InsertItemTree(tagItemData* screen) = 0;
    // Removes the node from the tree and deletes it from the core.
    virtual void DeleteItem(tagItemData* node) = 0;
    // As DeleteItem on each screen, in one go.
    virtual void DeleteScreens(const std::vector<tagItemData*>& screens)
    {
        for (tagItemData* s : screens)
            DeleteItem(s);
    }
    // The tree and the screen's window let go of the screen's scenes, which
    // the core keeps: a load then replaces them or leaves them as they were.
    virtual void ReleasePrograms(tagItemData* screen) = 0;
};

class CPanelView : public CPanel {
    Q_OBJECT
public:
    enum { IDC_TREE = 10001 };
    enum { RESULT_QUIT = 1105 };

    // `settings` holds the quit options and receives the open-screen lists;
    // `appFolder` ends with "/"; `tree` is the tree editor's adapter (not null).
    CPanelView(CCore& core, ShellSettings& settings, const QString& appFolder, std::unique_ptr<ScreenTree> tree,
               QWidget* parent = nullptr);
    ~CPanelView() override;

    ScreenTree& Tree() { return *m_tree; }

    // Loads a program-list file chosen by the user into an existing screen.
    void OpenScreen(tagItemData* screen);
    // 0 loaded, else the core's failure code (1 to 4); nothing changes then.
    int LoadScreenFile(tagItemData* screen, const QString& path);
    // False when the user cancelled the file dialog or the file was not
    // written (told in a message box). A save to the default path never
    // replaces a file that is not the screen's own: it takes the next free
    // name. A file another open screen holds is refused.
    bool SaveScreen(tagItemData* screen, bool useDefaultName);
    bool SaveScreenAs(tagItemData* screen);
    bool SaveScreenFile(tagItemData* screen, const QString& path);
    void NameScreenAfterFile(const QString& path, tagItemData* screen);
    // 1 when the screen differs from its file, has none, or its file cannot
    // be read back; else 0.
    int IsScreenModified(tagItemData* screen);
    // 1 when an open screen holds the file (under any spelling of its path).
    int IsFileOpen(const QString& path);
    // 1 closed, 0 the user kept it.
    int CloseScreen(tagItemData* screen);
    void RemoveScreen(tagItemData* screen);
    // A screen of the last session whose file could not be opened (`code`:
    // the load's result) leaves the tree. While something is still at the
    // path, the file and the screen's link stay in the open-screen lists
    // written at shut-down, so that a later start tries them again.
    void SetAsideScreen(tagItemData* screen, const QString& path, int code);
    // Says once, in a message, which files were set aside and why.
    void TellSetAsideFiles();
    void ForgetScreenFile(tagItemData* screen);
    // Quitting, a language change, a search that replaces the screens: with
    // "Ask before quitting" on, asks once; then saves each changed screen
    // (the exit save on) or asks about it (off). 1 when every screen was
    // closed; 0 when the operator stopped it: nothing is closed then.
    int CloseAllScreens();
    // Before the tree writes a screen's new name: a saved screen's file is
    // moved to it first. 0 accepts the name; -1 refuses it after a message
    // saying why (the tree keeps the old name and the typed one in its editor).
    int OnItemRename(tagItemData* screen, const QString& name);

    // The recorded file of a screen; empty when it has none.
    QString ScreenFile(tagItemData* screen) const { return m_files.value(screen); }
    // Where program lists live by default: "userdata/" in the program's folder.
    QString DefaultFolder() const;
    // The default file of a screen: its name (made safe as a file name) and ".pl".
    QString DefaultPath(tagItemData* screen) const;
    // Whether a screen of that name would find its default file taken (by a
    // file already there or another screen's).
    bool FileNameTaken(const QString& name);
    // Where a save without a dialog goes: the default file, or, when that is
    // taken, the next free numbered name. Empty when none is free.
    QString FreeDefaultPath(tagItemData* screen);

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QString askSavePath(tagItemData* screen, bool proposeName);
    bool saveScreen(tagItemData* screen, bool useDefaultName, bool tellFailure);
    bool saveScreenFile(tagItemData* screen, const QString& path, bool tellFailure);
    // Another open screen than `screen` (null: any) holds the file.
    bool heldByOther(const QString& path, tagItemData* screen);
    // Why the screen may not take `name` (empty: it may; a saved screen's
    // file has then been moved to it).
    QString renameRefusal(tagItemData* screen, const QString& name);
    void recordFile(tagItemData* screen, const QString& path);
    void dropFile(tagItemData* screen);
    bool askAndSaveIfChanged(tagItemData* screen, unsigned captionId);
    // Saves or asks about each changed screen before any is closed; false
    // when the operator stopped it.
    bool settleChanges(const std::vector<tagItemData*>& screens);
    // False only when the screen is known to be as its file holds it: no
    // write since it was saved or opened, and the file not touched since.
    bool changedSinceSave(tagItemData* screen) const;
    void noteSaved(tagItemData* screen);
    void rememberLink(OpenScreenLists& lists, const tagItemData* screen, const QString& path) const;
    // The screen as it would be written to its file.
    QByteArray storedImage(tagItemData* screen);

    CCore& m_core;
    ShellSettings& m_settings;
    QString m_appFolder;
    std::unique_ptr<ScreenTree> m_tree;
    QHash<tagItemData*, QString> m_files;
    // Each recorded file's real name (links and ".." resolved) when recorded.
    QHash<tagItemData*, QString> m_canonical;
    // Both names above, each to the screens recorded with it.
    QMultiHash<QString, tagItemData*> m_holders;
    // New screens without a file, as they were made: untouched, they hold nothing to save.
    QHash<tagItemData*, QByteArray> m_madeAs;
    // Screens as last saved or opened: their write count and their file's
    // stamp then. Unwritten since, with the file untouched, a screen costs
    // nothing on the way out.
    struct FileStamp {
        qint64 size = -1, mtimeNs = 0, ctimeNs = 0;
        quint64 device = 0, inode = 0;
        bool operator==(const FileStamp&) const = default;
    };
    struct SavedAs {
        std::uint64_t revision = 0;
        FileStamp stamp;
    };
    QHash<tagItemData*, SavedAs> m_saved;
    static FileStamp stampOf(const QString& path);
    // Files of the last session that could not be opened, with their reasons,
    // until they are told; those kept for the next start, with their links.
    QList<std::pair<QString, int>> m_untold;
    QStringList m_setAsidePaths;
    QSet<QString> m_setAsideNames;   // the paths above and their real names
    OpenScreenLists m_setAside;
};

// Shows string 63000 in a message box.
void ShowFailedMessage(QWidget* parent = nullptr);
// Tells that a program-list file was not opened, with the core's reason
// (its load result, 1 to 4).
void ShowOpenFailedMessage(QWidget* parent, const QString& path, int code);
// Why a program-list file was not opened, from the load's result (1 to 4).
QString OpenFailureReason(const QString& path, int code);

// A filter of the pack ("Text (*.x)|*.x|All (*.*)|*.*||") as Qt's file
// dialogs take it ("Text (*.x);;All (*.*)").
QString FileFilterFromPack(const QString& packFilter);

} // namespace shell
