#pragma once
// The picture library: the subfolders of a root folder as a tree, the
// pictures of the chosen folder as 80 x 80 thumbnails, and a live preview of
// the chosen picture. Thumbnails and preview frames are decoded on a worker
// thread that the dialog owns and stops before it goes, so the dialog shows
// at once and no late result can reach a closed dialog.
#include "app/editor/ImageViewer.h"

#include <QDialog>
#include <QStringList>
#include <QThread>

#include <atomic>

class QDialogButtonBox;
class QLabel;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace editor {

inline constexpr int kBrowserTemplate = 6279;
inline constexpr int kThumbSize = 80;

// Non-hidden subfolders of a folder, by name.
QStringList pictureSubfolders(const QString& folder);
// Non-hidden files of a folder, by name.
QStringList pictureFiles(const QString& folder);
// The picture fitted into 80 x 80 in its proportions, on opaque white; a
// white square for a file that is no picture.
QImage makeThumbnail(const QString& path);

// Decodes on its own thread; the dialog talks to it through queued signals.
class BrowserLoader : public QObject {
    Q_OBJECT
public:
    std::atomic<quint64> generation{0};

public slots:
    void loadThumbnails(quint64 gen, const QStringList& paths);
    void loadFrames(quint64 gen, const QString& path);

signals:
    void thumbnailReady(quint64 gen, int index, const QImage& image);
    void thumbnailsDone(quint64 gen);
    void framesReady(quint64 gen, const editor::ImageFrames& frames);
};

class CBrowserDlg : public QDialog {
    Q_OBJECT
public:
    explicit CBrowserDlg(const QString& root, QWidget* parent = nullptr);
    ~CBrowserDlg() override;

    // The chosen picture's full path; empty until OK.
    QString GetPath() const { return m_path; }
    QString selectedFolder() const;
    void retranslate();

    QTreeWidget* tree() const { return m_tree; }
    QListWidget* list() const { return m_list; }
    CImageViewer* viewer() const { return m_viewer; }
    // Thumbnails still to come for the shown folder.
    int pendingThumbnails() const { return m_pending; }

    void accept() override;

signals:
    void requestThumbnails(quint64 gen, const QStringList& paths);
    void requestFrames(quint64 gen, const QString& path);

private:
    void fillTree(QTreeWidgetItem* parent, const QString& folder, int depth);
    void onFolderChanged();
    void onItemSelection();
    void onThumbnail(quint64 gen, int index, const QImage& image);

    QString m_root;
    QString m_path;
    QTreeWidget* m_tree;
    QListWidget* m_list;
    CImageViewer* m_viewer;
    QLabel* m_labels[3];
    QDialogButtonBox* m_buttons;
    QThread m_thread;
    BrowserLoader* m_loader;
    quint64 m_thumbGen = 0;
    quint64 m_frameGen = 0;
    int m_pending = 0;
};

} // namespace editor
