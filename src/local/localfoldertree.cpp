#include "local/localfoldertree.h"

#include "app/busycursor.h"
#include "local/locallisting.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace {

constexpr int KeyRole = Qt::UserRole;
constexpr int TagRole = Qt::UserRole + 1;
const QString ReadTag = QStringLiteral("*");

} // namespace

LocalFolderTree::LocalFolderTree(QWidget *parent)
    : QTreeWidget(parent)
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

    // Opening a node reads its children's subfolders, so their expand marks are right before
    // the user gets to them.
    connect(this, &QTreeWidget::itemExpanded, this, &LocalFolderTree::readChildrenOf);
}

QString LocalFolderTree::key(const QTreeWidgetItem *node)
{
    return node ? node->data(0, KeyRole).toString() : QString();
}

bool LocalFolderTree::isRead(const QTreeWidgetItem *node)
{
    return node->data(0, TagRole).toString() == ReadTag;
}

void LocalFolderTree::setRoot(const QString &root)
{
    clear();
    m_nodes.clear();
    m_foldersRead = 0;
    m_root = WithClosingSlash(root);
    QTreeWidgetItem *drive = new QTreeWidgetItem(this, { QDir::toNativeSeparators(root) });
    drive->setIcon(0, m_driveIcon);
    drive->setData(0, KeyRole, m_root);
    m_nodes.insert(m_root, drive);
    readSubfolders(drive);
    drive->setExpanded(true);
}

QTreeWidgetItem *LocalFolderTree::addNode(QTreeWidgetItem *parent, const QString &name, const QString &key)
{
    QTreeWidgetItem *node = new QTreeWidgetItem({ name });
    node->setIcon(0, m_folderIcon);
    node->setData(0, KeyRole, key);
    parent->addChild(node);
    m_nodes.insert(key, node);
    return node;
}

void LocalFolderTree::readSubfolders(QTreeWidgetItem *node)
{
    const QString parentKey = key(node);
    for (const QString &name : ListSubfolderNames(parentKey))
        addNode(node, name, parentKey + name + u'/');
    node->setData(0, TagRole, ReadTag);
    ++m_foldersRead;
}

void LocalFolderTree::readChildrenOf(QTreeWidgetItem *node)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem *child = node->child(i);
        if (!isRead(child)) {
            const BusyCursor busy;
            readSubfolders(child);
        }
    }
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
        nodeKey += name + u'/';
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
    QHash<QString, QTreeWidgetItem *> kept;
    for (QTreeWidgetItem *child : node->takeChildren())
        kept.insert(child->text(0), child);
    for (const QString &name : ListSubfolderNames(key)) {
        if (QTreeWidgetItem *child = kept.take(name)) {
            node->addChild(child);
        } else {
            QTreeWidgetItem *added = addNode(node, name, key + name + u'/');
            // An open node knows one level beyond its children; a new child must too.
            if (node->isExpanded())
                readSubfolders(added);
        }
    }
    for (QTreeWidgetItem *vanished : std::as_const(kept)) {
        forget(vanished);
        delete vanished;
    }
}

void LocalFolderTree::pruneVanished()
{
    QStringList vanished;
    for (auto it = m_nodes.cbegin(); it != m_nodes.cend(); ++it) {
        if (it.key() != m_root && !QFileInfo(it.key()).isDir())
            vanished.append(it.key());
    }
    // A vanished folder's subtree vanished with it: deleting a node forgets its descendants, so
    // they are skipped here.
    for (const QString &vanishedKey : std::as_const(vanished)) {
        if (QTreeWidgetItem *node = m_nodes.value(vanishedKey)) {
            forget(node);
            delete node;
        }
    }
}

void LocalFolderTree::forget(QTreeWidgetItem *node)
{
    m_nodes.remove(key(node));
    for (int i = 0; i < node->childCount(); ++i)
        forget(node->child(i));
}
