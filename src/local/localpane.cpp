#include "local/localpane.h"

#include "core/appservices.h"
#include "core/eventpump.h"
#include "core/paths.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "local/localcommands.h"
#include "local/localentrymodel.h"
#include "local/localfoldertree.h"
#include "local/locallisting.h"
#include "local/localpopupmenu.h"
#include "local/uservolumes.h"
#include "widgets/busycursor.h"
#include "widgets/fulltoolbar.h"
#include "widgets/listviewhelpers.h"
#include "widgets/panemeasures.h"
#include "widgets/toolbaricons.h"

#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QScopedValueRollback>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>
#include <vector>

namespace {

// A visited folder as cboLocal shows it: without its closing "/", except a volume root.
QString visitedText(const QString &key, const QString &driveRoot)
{
    return key == driveRoot || key == u'/' ? key : key.chopped(1);
}

QString folderKey(const QString &path)
{
    return withClosingSlash(QDir::cleanPath(path));
}

// A toolbar button found by its key.
QAction *addKeyedButton(QToolBar *toolBar, const char *key, ToolBarIcon icon, const QString &toolTip)
{
    QAction *action = toolBar->addAction(toolBarIcon(icon), toolTip);
    action->setObjectName(QString::fromLatin1(key));
    action->setData(QString::fromLatin1(key));
    action->setToolTip(toolTip);
    action->setStatusTip(toolTip);
    return action;
}

// Tree moves closer together than this are taken as passing through (a held arrow key).
constexpr int TreeSettleMs = 150;

} // namespace

LocalPane::LocalPane(const AppServices &services, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("frmLocal"));
    createControls();
    m_commands = new LocalCommands(*this, m_services, this);
    m_frmPopUpfrmLocal = new LocalPopupMenu(*this);

    fillDriveList();
    ReadDrive(QStringLiteral("/"));
    selectFolder(QDir::homePath());
    setView(View::Report);
}

LocalPane::~LocalPane() = default;

void LocalPane::createControls()
{
    m_fraLocal = new QGroupBox(text("FRMLOCAL_MYCOMPUTER"), this);
    m_fraLocal->setObjectName(QStringLiteral("fraLocal"));

    m_drvDrive = new QComboBox(m_fraLocal);
    m_drvDrive->setObjectName(QStringLiteral("drvDrive"));
    connect(m_drvDrive, &QComboBox::activated, this, &LocalPane::changeDrive);
    m_tlbdrvDrive = new QToolBar(m_fraLocal);
    m_tlbdrvDrive->setObjectName(QStringLiteral("tlbdrvDrive"));
    connect(addKeyedButton(m_tlbdrvDrive, "refresh", ToolBarIcon::Refresh, text("FRMLOCAL_REFRESH")),
        &QAction::triggered, this, &LocalPane::fillDriveList);

    m_trwPaths = new LocalFolderTree(m_fraLocal);
    connect(m_trwPaths, &QTreeWidget::currentItemChanged, this, &LocalPane::treeNodeChosen);
    connect(m_trwPaths, &LocalFolderTree::serverEntriesDropped, this,
        [this](const TransferSelection &entries, const QString &key) {
            emit downloadDropped(entries, key.isEmpty() ? listedFolder() : key);
        });
    m_treeSettle = new QTimer(this);
    m_treeSettle->setSingleShot(true);
    m_treeSettle->setInterval(TreeSettleMs);
    connect(m_treeSettle, &QTimer::timeout, this, [this] {
        if (m_treeNodePending)
            listTreeNode();
    });

    m_cboLocal = new QComboBox(m_fraLocal);
    m_cboLocal->setObjectName(QStringLiteral("cboLocal"));
    connect(m_cboLocal, &QComboBox::activated, this, &LocalPane::pathBoxChosen);

    createToolBars();
    for (QToolBar *bar : { m_tlbdrvDrive, m_tlbDirOptions, m_tlbLocal })
        keepEveryButtonShown(bar);
    createFileList();
}

void LocalPane::createToolBars()
{
    m_tlbDirOptions = new QToolBar(m_fraLocal);
    m_tlbDirOptions->setObjectName(QStringLiteral("tlbDirOptions"));
    connect(addKeyedButton(m_tlbDirOptions, "del", ToolBarIcon::Delete, text("FRMLOCAL_DELETE")), &QAction::triggered,
        this, &LocalPane::deleteSelection);
    connect(addKeyedButton(m_tlbDirOptions, "prop", ToolBarIcon::Properties, text("FRMLOCAL_PROP")),
        &QAction::triggered, this, &LocalPane::showProperties);
    // The toolbar's new folder lists the result with the pane's own listing.
    connect(addKeyedButton(m_tlbDirOptions, "new", ToolBarIcon::NewFolder, text("FRMLOCAL_NEW")), &QAction::triggered,
        this, [this] { m_commands->newFolder(ListingVariant::Pane); });
    connect(addKeyedButton(m_tlbDirOptions, "open", ToolBarIcon::Open, text("FRMLOCAL_OPEN")), &QAction::triggered,
        this, &LocalPane::openSelection);
    connect(addKeyedButton(m_tlbDirOptions, "refresh", ToolBarIcon::Refresh, text("FRMLOCAL_REFRESH")),
        &QAction::triggered, this, &LocalPane::RefreshLocal);
    connect(addKeyedButton(m_tlbDirOptions, "upload", ToolBarIcon::Upload, text("FRMLOCAL_UPLOAD")),
        &QAction::triggered, this, &LocalPane::upload);

    m_tlbLocal = new QToolBar(m_fraLocal);
    m_tlbLocal->setObjectName(QStringLiteral("tlbLocal"));
    auto *views = new QActionGroup(m_tlbLocal);
    const auto addViewButton = [&](QAction *action, View view) {
        action->setCheckable(true);
        action->setChecked(view == m_view);
        views->addAction(action);
        connect(action, &QAction::triggered, this, [this, view] { setView(view); });
    };
    addViewButton(addKeyedButton(m_tlbLocal, "eins", ToolBarIcon::LargeIcons, text("FRMLOCAL_BIG")), View::LargeIcons);
    addViewButton(
        addKeyedButton(m_tlbLocal, "zwei", ToolBarIcon::SmallIcons, text("FRMLOCAL_SMALL")), View::SmallIcons);
    addViewButton(addKeyedButton(m_tlbLocal, "drei", ToolBarIcon::List, text("FRMLOCAL_LIST")), View::List);
    addViewButton(addKeyedButton(m_tlbLocal, "vier", ToolBarIcon::Details, text("FRMLOCAL_DETAIL")), View::Report);
}

void LocalPane::createFileList()
{
    m_model = new LocalEntryModel(this);
    m_selection = new QItemSelectionModel(m_model, this);
    connect(m_model, &LocalEntryModel::serverEntriesDropped, this, [this](const TransferSelection &entries, int row) {
        emit downloadDropped(entries, row < 0 ? listedFolder() : m_shownFolder + m_model->entry(row).name + u'/');
    });

    m_lsvDirFile = new QStackedWidget(m_fraLocal);
    m_lsvDirFile->setObjectName(QStringLiteral("lsvDirFile"));

    m_reportView = new QTreeView(m_lsvDirFile);
    m_reportView->setObjectName(QStringLiteral("lsvDirFileReport"));
    m_reportView->setModel(m_model);
    m_reportView->setSelectionModel(m_selection);
    m_reportView->setRootIsDecorated(false);
    m_reportView->setItemsExpandable(false);
    m_reportView->setUniformRowHeights(true);
    m_reportView->setAllColumnsShowFocus(true);
    m_reportView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_reportView->header()->setStretchLastSection(false);
    // No column is sorted until the user clicks one: the listing's own order comes first.
    m_reportView->header()->setSortIndicator(-1, Qt::AscendingOrder);
    m_reportView->setSortingEnabled(true);
    fitColumnsToEveryListing(m_reportView, LocalEntryModel::NameColumn);
    const int widths[LocalEntryModel::ColumnCount] = { 140, 50, 130, 120, 60 };
    for (int column = 0; column < LocalEntryModel::ColumnCount; ++column)
        m_reportView->setColumnWidth(column, widths[column]);

    m_iconView = new QListView(m_lsvDirFile);
    m_iconView->setObjectName(QStringLiteral("lsvDirFileIcons"));
    m_iconView->setModel(m_model);
    m_iconView->setSelectionModel(m_selection);
    // Each name gets the width it needs in the list views (a uniform size is the first row's).
    m_iconView->setUniformItemSizes(false);
    m_iconView->setLayoutMode(QListView::Batched);
    m_iconView->setMovement(QListView::Static);
    m_iconView->setResizeMode(QListView::Adjust);

    for (QAbstractItemView *view :
        { static_cast<QAbstractItemView *>(m_reportView), static_cast<QAbstractItemView *>(m_iconView) }) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->installEventFilter(this);
        showFullTextWhereElided(view);
        enableCopyDragAndDrop(view);
        connect(view, &QAbstractItemView::doubleClicked, this, &LocalPane::listDoubleClicked);
        connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint &position) { showContextMenu(view->viewport()->mapToGlobal(position)); });
        m_lsvDirFile->addWidget(view);
    }
}

void LocalPane::fillDriveList()
{
    const QString current = driveRoot();
    const QSignalBlocker blocker(m_drvDrive);
    m_drvDrive->clear();
    m_drvDrive->addItem(QStringLiteral("/"), QStringLiteral("/"));
    QStringList roots;
    // A bind mount of a single file is no place to browse.
    for (const QString &root : UserVolumeRoots()) {
        if (QFileInfo(root).isDir())
            roots.append(root);
    }
    roots.sort();
    roots.removeDuplicates();
    for (const QString &root : std::as_const(roots))
        m_drvDrive->addItem(root, withClosingSlash(root));
    m_drvDrive->setCurrentIndex(std::max(0, m_drvDrive->findData(current)));
}

QString LocalPane::driveRoot() const
{
    return m_trwPaths->root().isEmpty() ? QStringLiteral("/") : m_trwPaths->root();
}

QString LocalPane::TreeNodePath() const
{
    const QTreeWidgetItem *node = m_trwPaths->currentItem();
    return node ? LocalFolderTree::key(node) : driveRoot();
}

QList<LocalEntry> LocalPane::selectedEntries() const
{
    // The icon views select only the name column, the report view whole rows: rows are
    // gathered from the selection's ranges, never cell by cell.
    std::vector<int> rows;
    for (const QItemSelectionRange &range : m_selection->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<LocalEntry> entries;
    entries.reserve(qsizetype(rows.size()));
    for (int row : rows)
        entries.append(m_model->entry(row));
    return entries;
}

quint64 LocalPane::clearList()
{
    m_model->clear();
    m_shownFolder.clear();
    return ++m_listGeneration;
}

bool LocalPane::ViewFolder(const QString &folder, ListingVariant variant)
{
    const quint64 generation = clearList();
    std::optional<std::vector<LocalEntry>> entries;
    {
        const BusyCursor busy;
        entries = ListFolderEntriesInBackground(folder, variant);
    }
    if (!entries)
        return false;
    processPendingEvents();
    // A click handled meanwhile listed another folder: showing this one now would leave the
    // tree naming that folder and the commands joining its path with these names.
    if (generation != m_listGeneration)
        return false;
    m_model->setEntries(std::move(*entries), variant);
    m_shownFolder = folderKey(folder);
    m_model->setFolder(m_shownFolder);
    return true;
}

QString LocalPane::listedFolder() const
{
    return m_shownFolder.isEmpty() ? TreeNodePath() : m_shownFolder;
}

void LocalPane::relist(const QString &folder, ListingVariant variant)
{
    if (!m_shownFolder.isEmpty() && m_shownFolder == folderKey(folder))
        ViewFolder(folder, variant);
}

void LocalPane::RefreshLocal()
{
    refreshListing(ListingVariant::Pane);
}

void LocalPane::refreshListing(ListingVariant variant)
{
    const QString folder = TreeNodePath();
    // Folders made or removed outside the program show up in the tree as well as in the list.
    refreshTreeNode(folder);
    m_treeNodePending = false;
    ViewFolder(folder, variant);
}

void LocalPane::ReadDrive(const QString &root)
{
    const QScopedValueRollback guard(m_selectingNode, true);
    m_trwPaths->setRoot(root);
    const QSignalBlocker blocker(m_drvDrive);
    const int index = m_drvDrive->findData(withClosingSlash(root));
    if (index >= 0)
        m_drvDrive->setCurrentIndex(index);
}

bool LocalPane::selectFolder(const QString &path)
{
    const QString key = folderKey(path);
    if (!key.startsWith(driveRoot())) {
        // The volume that holds the folder: the longest listed root it lies below.
        QString root = QStringLiteral("/");
        for (int i = 0; i < m_drvDrive->count(); ++i) {
            const QString candidate = m_drvDrive->itemData(i).toString();
            if (key.startsWith(candidate) && candidate.size() > root.size())
                root = candidate;
        }
        ReadDrive(root);
    }
    QTreeWidgetItem *node = nullptr;
    {
        // Revealing may read a node again and drop a vanished current node: the tree must not
        // list its stand-in while the nodes are being changed.
        const QScopedValueRollback guard(m_selectingNode, true);
        node = m_trwPaths->reveal(key);
    }
    // Listing a folder the tree cannot select would leave the commands working on another one.
    if (!node)
        return false;
    {
        const QScopedValueRollback guard(m_selectingNode, true);
        m_trwPaths->setCurrentItem(node);
    }
    m_treeNodePending = false;
    node->setExpanded(true);
    m_trwPaths->scrollToItem(node);
    addVisitedFolder(visitedText(key, driveRoot()));
    return ViewFolder(key);
}

void LocalPane::refreshTreeNode(const QString &path)
{
    const QScopedValueRollback guard(m_selectingNode, true);
    m_trwPaths->refreshNode(folderKey(path));
}

void LocalPane::pruneVanishedFolders()
{
    for (int i = m_cboLocal->count() - 1; i >= 0; --i) {
        if (!QFileInfo(m_cboLocal->itemText(i)).isDir())
            m_cboLocal->removeItem(i);
    }
}

void LocalPane::setView(View view)
{
    m_view = view;
    for (QAction *action : m_tlbLocal->actions())
        action->setChecked(action == m_tlbLocal->actions().value(int(view)));
    if (view == View::Report) {
        m_lsvDirFile->setCurrentWidget(m_reportView);
        return;
    }
    const bool large = view == View::LargeIcons;
    m_iconView->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    m_iconView->setFlow(view == View::List ? QListView::TopToBottom : QListView::LeftToRight);
    m_iconView->setWrapping(true);
    m_iconView->setWordWrap(large);
    m_iconView->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
    m_iconView->setGridSize(large ? QSize(96, 64) : QSize());
    m_iconView->setMovement(QListView::Static);
    enableCopyDragAndDrop(m_iconView);
    m_lsvDirFile->setCurrentWidget(m_iconView);
}

void LocalPane::changeDrive(int index)
{
    const QString root = m_drvDrive->itemData(index).toString();
    const QStorageInfo volume(root);
    if (!volume.isValid() || !volume.isReady()) {
        m_services.prompts.message(
            text("FRMLOCAL_INSERTDEVICE") + u' ' + root + text("FRMLOCAL_INTO"), Prompts::Icon::Exclamation);
        // The tree still shows the old volume, and so does the drive list.
        const QSignalBlocker blocker(m_drvDrive);
        m_drvDrive->setCurrentIndex(std::max(0, m_drvDrive->findData(driveRoot())));
        return;
    }
    ReadDrive(root);
    m_cboLocal->clear();
    selectFolder(root);
}

void LocalPane::treeNodeChosen(QTreeWidgetItem *node)
{
    if (m_selectingNode || !node)
        return;
    if (m_treeSettle->isActive()) {
        // Passing through: the list waits for the node the user stops at, and meanwhile shows
        // nothing, so no command takes the names of the folder left behind.
        clearList();
        m_treeNodePending = true;
    } else {
        listTreeNode();
    }
    m_treeSettle->start();
}

void LocalPane::listTreeNode()
{
    m_treeNodePending = false;
    const QString key = TreeNodePath();
    addVisitedFolder(visitedText(key, driveRoot()));
    ViewFolder(key);
}

void LocalPane::pathBoxChosen(int index)
{
    const BusyCursor busy;
    // The path exactly as visited: a folder name may end in a blank.
    selectFolder(m_cboLocal->itemText(index));
}

void LocalPane::listDoubleClicked(const QModelIndex &index)
{
    if (!index.isValid() || !m_model->entry(index.row()).isFolder)
        return;
    const BusyCursor busy;
    selectFolder(m_shownFolder + m_model->entry(index.row()).name);
}

void LocalPane::showContextMenu(const QPoint &globalPosition)
{
    m_frmPopUpfrmLocal->popup(globalPosition, m_frmPopUpfrmLocal->defaultAction());
}

void LocalPane::addVisitedFolder(const QString &folder)
{
    // Case-sensitive: Foo and foo are different folders here.
    int index = m_cboLocal->findText(folder, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        m_cboLocal->addItem(folder);
        index = m_cboLocal->count() - 1;
    }
    m_cboLocal->setCurrentIndex(index);
}

bool LocalPane::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_reportView || watched == m_iconView)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete) {
            deleteSelection();
            return true;
        }
        if (key == Qt::Key_F5) {
            RefreshLocal();
            return true;
        }
        // Enter does what a double-click does; Backspace goes to the parent folder.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QModelIndex current = m_selection->currentIndex();
            if (current.isValid() && m_selection->isSelected(current))
                listDoubleClicked(current);
            return true;
        }
        if (key == Qt::Key_Backspace) {
            const QString folder = TreeNodePath();
            if (folder != driveRoot())
                selectFolder(QFileInfo(folder.chopped(1)).path());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LocalPane::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

void LocalPane::placeControls()
{
    using namespace PaneMeasures;
    const int w = width();
    const int h = height();
    m_fraLocal->setGeometry(0, 0, w, h);

    const QSize driveBar = m_tlbdrvDrive->sizeHint();
    const QRect drive(Margin, RowTop, std::max(0, w - driveBar.width() - 24), rowHeight(m_drvDrive));
    m_drvDrive->setGeometry(drive);
    m_tlbdrvDrive->setGeometry(drive.right() + 1 + Gap, drive.top(), driveBar.width(), driveBar.height());

    const QSize viewBar = m_tlbLocal->sizeHint();
    const QRect tree(Margin, drive.bottom() + 1 + Gap, std::max(0, w - Margin - RightMargin),
        std::max(0, (h - viewBar.height() - 72) / 2));
    m_trwPaths->setGeometry(tree);

    const int barTop = tree.bottom() + 1 + 3;
    m_tlbLocal->setGeometry(tree.right() + 1 - viewBar.width(), barTop, viewBar.width(), viewBar.height());
    const QSize optionsBar = m_tlbDirOptions->sizeHint();
    m_tlbDirOptions->setGeometry(tree.left() + 3, barTop, optionsBar.width(), optionsBar.height());
    const int pathLeft = tree.left() + 3 + optionsBar.width() + 1;
    m_cboLocal->setGeometry(
        pathLeft, barTop, std::max(0, w - pathLeft - viewBar.width() - 17), m_cboLocal->sizeHint().height());

    m_lsvDirFile->setGeometry(8, tree.bottom() + 1 + viewBar.height() + 5, std::max(0, w - 23),
        std::max(0, (h - viewBar.height() - 67) / 2 + 7));
}

QList<TransferItem> LocalPane::selectedItems() const
{
    QList<TransferItem> items;
    for (const LocalEntry &entry : selectedEntries())
        items.append(LocalEntryModel::transferItem(entry));
    return items;
}

void LocalPane::upload()
{
    emit uploadRequested(false);
}
void LocalPane::uploadFromContextMenu()
{
    emit uploadRequested(true);
}
void LocalPane::uploadAs()
{
    emit uploadAsRequested();
}
void LocalPane::openSelection()
{
    m_commands->open();
}
void LocalPane::openSelectionWith()
{
    m_commands->openWith();
}
void LocalPane::renameSelection()
{
    m_commands->rename(ListingVariant::Pane);
}
void LocalPane::renameFromContextMenu()
{
    m_commands->rename(ListingVariant::Menu);
}
void LocalPane::deleteSelection()
{
    m_commands->deleteSelection();
}
void LocalPane::newFolder()
{
    m_commands->newFolder();
}
void LocalPane::refresh()
{
    RefreshLocal();
}
void LocalPane::showProperties()
{
    m_commands->properties();
}
