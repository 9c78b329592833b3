#include "local/localfoldertree.h"

#include "core/paths.h"
#include "local/locallisting.h"
#include "transfer/transferdrag.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMimeData>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

constexpr int KeyRole = Qt::UserRole;
// How long one slice of queued reads may keep the window from its events.
constexpr qint64 SliceMs = 20;
// How long the tree waits after a change in an open folder before reading it again.
constexpr int ChangeSettleMs = 200;

// A node with its tag kept beside the item's data: setting item data signals the view, and a
// node of thousands of children would send thousands of signals for a flag the view never shows.
class FolderNode : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool isRead = false;
};

} // namespace

LocalFolderTree::LocalFolderTree(QWidget *parent)
    : QTreeWidget(parent)
    , m_pendingReader(new QTimer(this))
    , m_watcher(new QFileSystemWatcher(this))
    , m_changeReader(new QTimer(this))
{
    setObjectName(QStringLiteral("trwPaths"));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    m_driveIcon = QIcon::fromTheme(QStringLiteral("drive-harddisk"), style()->standardIcon(QStyle::SP_DriveHDIcon));
    m_folderIcon = QIcon::fromTheme(QStringLiteral("folder"), style()->standardIcon(QStyle::SP_DirClosedIcon));
    // The open-folder picture marks the selected node.
    const QIcon open = QIcon::fromTheme(QStringLiteral("folder-open"), style()->standardIcon(QStyle::SP_DirOpenIcon));
    for (const QSize &size : open.availableSizes())
        m_folderIcon.addPixmap(open.pixmap(size), QIcon::Selected);

    m_pendingReader->setInterval(0);
    connect(m_pendingReader, &QTimer::timeout, this, &LocalFolderTree::readPendingSlice);
    // Opening a node reads its children's subfolders, so their expand marks are right before
    // the user gets to them.
    connect(this, &QTreeWidget::itemExpanded, this, &LocalFolderTree::nodeExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem *node) { m_watcher->removePath(key(node)); });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &LocalFolderTree::folderChanged);
    m_changeReader->setSingleShot(true);
    m_changeReader->setInterval(ChangeSettleMs);
    connect(m_changeReader, &QTimer::timeout, this, &LocalFolderTree::refreshChangedFolders);

    setDragDropMode(QAbstractItemView::DropOnly);
    setDefaultDropAction(Qt::CopyAction);
    // A drop anywhere on a node goes into its folder, never beside it into the parent's.
    setDragDropOverwriteMode(true);
    setDropIndicatorShown(true);
}

QStringList LocalFolderTree::mimeTypes() const
{
    return { TransferDrag::serverEntriesType() };
}

bool LocalFolderTree::dropMimeData(QTreeWidgetItem *parent, int /*index*/, const QMimeData *data, Qt::DropAction action)
{
    if (!data || action != Qt::CopyAction)
        return false;
    const std::optional<TransferSelection> entries = TransferDrag::serverEntries(*data);
    if (!entries)
        return false;
    emit serverEntriesDropped(*entries, key(parent));
    return true;
}

QString LocalFolderTree::key(const QTreeWidgetItem *node)
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

bool LocalFolderTree::isRead(const QTreeWidgetItem *node)
{
    return static_cast<const FolderNode *>(node)->isRead;
}

void LocalFolderTree::setRoot(const QString &root)
{
    clear();
    m_nodes.clear();
    m_pending.clear();
    m_pendingReader->stop();
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_changedKeys.clear();
    m_foldersRead = 0;
    m_root = withClosingSlash(root);
    QTreeWidgetItem *drive = new FolderNode(this, { QDir::toNativeSeparators(root) });
    drive->setIcon(0, m_driveIcon);
    drive->setData(0, KeyRole, m_root);
    m_nodes.insert(m_root, drive);
    readSubfolders(drive);
    drive->setExpanded(true);
}

QTreeWidgetItem *LocalFolderTree::newNode(const QString &name, const QString &key)
{
    QTreeWidgetItem *node = new FolderNode({ name });
    node->setIcon(0, m_folderIcon);
    node->setData(0, KeyRole, key);
    m_nodes.insert(key, node);
    return node;
}

void LocalFolderTree::readSubfolders(QTreeWidgetItem *node)
{
    const QString parentKey = key(node);
    const QStringList names = ListSubfolderNames(parentKey);
    QList<QTreeWidgetItem *> children;
    children.reserve(names.size());
    for (const QString &name : names)
        children.append(newNode(name, parentKey + name + u'/'));
    // One insertion for all of them: the view handles thousands of single ones slowly.
    if (!children.isEmpty())
        node->addChildren(children);
    static_cast<FolderNode *>(node)->isRead = true;
    ++m_foldersRead;
}

void LocalFolderTree::nodeExpanded(QTreeWidgetItem *node)
{
    // Folders the watcher cannot follow (no permission, the system's watch limit) simply stay
    // as they were read.
    m_watcher->addPath(key(node));
    // A node opened before its turn in the queue is read first; one opened again may have
    // changed while nobody watched it.
    if (!isRead(node))
        readSubfolders(node);
    else
        refreshNode(key(node));
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem *child = node->child(i);
        // A node opened again while its children wait queues them again; the reader skips the
        // ones read meanwhile.
        if (!isRead(child))
            m_pending.push_back(key(child));
    }
    if (!m_pending.empty())
        m_pendingReader->start();
}

void LocalFolderTree::readPendingSlice()
{
    QElapsedTimer slice;
    slice.start();
    while (!m_pending.empty() && slice.elapsed() < SliceMs) {
        QTreeWidgetItem *node = m_nodes.value(m_pending.front());
        m_pending.pop_front();
        if (node && !isRead(node))
            readSubfolders(node);
    }
    if (m_pending.empty())
        m_pendingReader->stop();
}

QTreeWidgetItem *LocalFolderTree::reveal(const QString &key)
{
    if (!key.startsWith(m_root) || m_nodes.isEmpty())
        return nullptr;
    QTreeWidgetItem *node = m_nodes.value(m_root);
    QString nodeKey = m_root;
    const QStringList names = key.mid(m_root.size()).split(u'/', Qt::SkipEmptyParts);
    for (const QString &name : names) {
        if (!isRead(node))
            readSubfolders(node);
        node->setExpanded(true);
        const QString parentKey = nodeKey;
        nodeKey += name + u'/';
        // A folder made since its parent was read gets its node now.
        if (!m_nodes.contains(nodeKey) && QFileInfo(nodeKey).isDir())
            refreshNode(parentKey);
        node = m_nodes.value(nodeKey);
        if (!node)
            return nullptr;
    }
    return node;
}

void LocalFolderTree::refreshNode(const QString &key)
{
    QTreeWidgetItem *node = m_nodes.value(key);
    if (!node || !isRead(node))
        return;
    const QStringList names = ListSubfolderNames(key);
    const QSet<QString> present(names.cbegin(), names.cend());
    QSet<QString> kept;
    // Children are dropped and inserted one by one, never taken out all together: the ones that
    // stay keep their subtrees, their open state and the selection.
    for (int i = node->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem *child = node->child(i);
        if (present.contains(child->text(0))) {
            kept.insert(child->text(0));
            continue;
        }
        forget(child);
        delete node->takeChild(i);
    }
    QList<QTreeWidgetItem *> added;
    int row = 0;
    for (const QString &name : names) {
        if (kept.contains(name)) {
            ++row;
            continue;
        }
        QTreeWidgetItem *child = newNode(name, key + name + u'/');
        node->insertChild(std::min(row++, node->childCount()), child);
        added.append(child);
    }
    // An open node knows one level beyond its children; its new children must too.
    if (node->isExpanded()) {
        for (QTreeWidgetItem *child : std::as_const(added))
            readSubfolders(child);
    }
}

void LocalFolderTree::forget(QTreeWidgetItem *node)
{
    m_nodes.remove(key(node));
    if (node->isExpanded())
        m_watcher->removePath(key(node));
    for (int i = 0; i < node->childCount(); ++i)
        forget(node->child(i));
}

void LocalFolderTree::folderChanged(const QString &path)
{
    m_changedKeys.insert(withClosingSlash(path));
    m_changeReader->start();
}

void LocalFolderTree::refreshChangedFolders()
{
    const QSet<QString> keys = std::exchange(m_changedKeys, {});
    for (const QString &changed : keys)
        refreshNode(changed);
}
