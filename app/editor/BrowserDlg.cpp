#include "app/editor/BrowserDlg.h"

#include "app/controls/ControlMessages.h"
#include "platform/LangPack.h"
#include "platform/OperatorFile.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace editor {

namespace {
enum : int { IDC_TREE = 6291, IDC_LIST = 6292, IDC_VIEWER = 6293 };
constexpr int kPathRole = Qt::UserRole;
// Folder trees deeper than this are cut (a link loop must not hang us).
constexpr int kMaxDepth = 32;

QImage blankThumbnail()
{
    QImage white(kThumbSize, kThumbSize, QImage::Format_RGB32);
    white.fill(Qt::white);
    return white;
}
} // namespace

QStringList pictureSubfolders(const QString& folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList pictureFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

QImage makeThumbnail(const QString& path)
{
    QImage out = blankThumbnail();
    platform::ImageFileSource source(path);
    QImageReader& reader = source.reader();
    const QSize size = reader.size();
    // Large pictures decode straight to the thumbnail's size where the format can.
    if (size.isValid() && (size.width() > 2 * kThumbSize || size.height() > 2 * kThumbSize))
        reader.setScaledSize(size.scaled(kThumbSize * 2, kThumbSize * 2, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    const QImage image = reader.read();
    if (image.isNull())
        return out;
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(fittedRect(image.size(), out.rect()), image);
    return out;
}

void BrowserLoader::loadThumbnails(quint64 gen, const QStringList& paths)
{
    for (int i = 0; i < paths.size(); ++i) {
        // A newer folder or a closing dialog ends this run early.
        if (generation.load() != gen || QThread::currentThread()->isInterruptionRequested())
            return;
        emit thumbnailReady(gen, i, makeThumbnail(paths[i]));
    }
    emit thumbnailsDone(gen);
}

void BrowserLoader::loadFrames(quint64 gen, const QString& path)
{
    if (QThread::currentThread()->isInterruptionRequested())
        return;
    emit framesReady(gen, decodeImageFrames(path));
}

CBrowserDlg::CBrowserDlg(const QString& root, QWidget* parent) : QDialog(parent), m_root(root)
{
    qRegisterMetaType<editor::ImageFrames>("editor::ImageFrames");
    setObjectName(QString::number(kBrowserTemplate));
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QString::number(IDC_TREE));
    controls::setControlId(m_tree, IDC_TREE);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QString::number(IDC_LIST));
    controls::setControlId(m_list, IDC_LIST);
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(kThumbSize, kThumbSize));
    m_list->setGridSize(QSize(110, 110));
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_viewer = new CImageViewer(this);
    m_viewer->setObjectName(QString::number(IDC_VIEWER));
    controls::setControlId(m_viewer, IDC_VIEWER);
    m_viewer->setMinimumSize(200, 200);

    auto* grid = new QGridLayout;
    for (int i = 0; i < 3; ++i)
        m_labels[i] = new QLabel(this);
    grid->addWidget(m_labels[0], 0, 0);
    grid->addWidget(m_labels[1], 0, 1);
    grid->addWidget(m_labels[2], 0, 2);
    grid->addWidget(m_tree, 1, 0);
    grid->addWidget(m_list, 1, 1);
    grid->addWidget(m_viewer, 1, 2, Qt::AlignTop);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 4);
    grid->setColumnStretch(2, 2);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CBrowserDlg::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid, 1);
    top->addWidget(m_buttons);
    resize(820, 480);

    m_loader = new BrowserLoader;
    m_loader->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_loader, &QObject::deleteLater);
    connect(this, &CBrowserDlg::requestThumbnails, m_loader, &BrowserLoader::loadThumbnails);
    connect(this, &CBrowserDlg::requestFrames, m_loader, &BrowserLoader::loadFrames);
    connect(m_loader, &BrowserLoader::thumbnailReady, this, &CBrowserDlg::onThumbnail);
    connect(m_loader, &BrowserLoader::framesReady, this, [this](quint64 gen, const ImageFrames& frames) {
        // Only the picture chosen last is shown.
        if (gen == m_frameGen && !m_list->selectedItems().isEmpty())
            m_viewer->StartAnimation(frames);
    });
    m_thread.start();

    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CBrowserDlg::onFolderChanged);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CBrowserDlg::onItemSelection);

    retranslate();
    fillTree(nullptr, m_root, 0);
    // The first child of the first child, as deep as it goes.
    QTreeWidgetItem* item = m_tree->topLevelItemCount() ? m_tree->topLevelItem(0) : nullptr;
    while (item && item->childCount())
        item = item->child(0);
    if (item) {
        for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
            p->setExpanded(true);
        m_tree->setCurrentItem(item);
    }
}

CBrowserDlg::~CBrowserDlg()
{
    m_loader->generation = ~quint64(0);
    m_thread.requestInterruption();
    m_thread.quit();
    m_thread.wait();
}

void CBrowserDlg::retranslate()
{
    setWindowTitle(platform::langDialogText(kBrowserTemplate, 0));
    const int ids[3] = {IDC_TREE, IDC_LIST, IDC_VIEWER};
    for (int i = 0; i < 3; ++i)
        m_labels[i]->setText(platform::langDialogText(kBrowserTemplate, unsigned(ids[i])));
    m_buttons->button(QDialogButtonBox::Ok)->setText(platform::langDialogText(kBrowserTemplate, 1));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(platform::langDialogText(kBrowserTemplate, 2));
}

void CBrowserDlg::fillTree(QTreeWidgetItem* parent, const QString& folder, int depth)
{
    if (depth >= kMaxDepth)
        return;
    for (const QString& name : pictureSubfolders(folder)) {
        const QString path = folder + QLatin1Char('/') + name;
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
        item->setText(0, name);
        item->setData(0, kPathRole, path);
        fillTree(item, path, depth + 1);
    }
}

QString CBrowserDlg::selectedFolder() const
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item ? item->data(0, kPathRole).toString() : QString();
}

void CBrowserDlg::onFolderChanged()
{
    m_list->clear();
    m_viewer->StopAnimation();
    const QString folder = selectedFolder();
    const QStringList files = folder.isEmpty() ? QStringList() : pictureFiles(folder);
    // The names show at once; their pictures follow from the worker.
    static const QIcon blank(QPixmap::fromImage(blankThumbnail()));
    QStringList paths;
    m_list->setUpdatesEnabled(false);
    for (const QString& name : files) {
        m_list->addItem(new QListWidgetItem(blank, name));
        paths << folder + QLatin1Char('/') + name;
    }
    m_list->setUpdatesEnabled(true);
    m_thumbGen = ++m_loader->generation;
    m_pending = int(paths.size());
    if (!paths.isEmpty())
        emit requestThumbnails(m_thumbGen, paths);
}

void CBrowserDlg::onThumbnail(quint64 gen, int index, const QImage& image)
{
    if (gen != m_thumbGen || index < 0 || index >= m_list->count())
        return;
    m_list->item(index)->setIcon(QIcon(QPixmap::fromImage(image)));
    --m_pending;
}

void CBrowserDlg::onItemSelection()
{
    const QList<QListWidgetItem*> sel = m_list->selectedItems();
    ++m_frameGen;
    if (sel.isEmpty()) {
        if (m_viewer->hasImage())
            m_viewer->StopAnimation();
        return;
    }
    emit requestFrames(m_frameGen, selectedFolder() + QLatin1Char('/') + sel.first()->text());
}

void CBrowserDlg::accept()
{
    const QList<QListWidgetItem*> sel = m_list->selectedItems();
    if (sel.isEmpty())
        return; // nothing chosen: the dialog stays open
    m_path = selectedFolder() + QLatin1Char('/') + sel.first()->text();
    QDialog::accept();
}

} // namespace editor
