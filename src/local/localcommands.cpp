#include "local/localcommands.h"

#include "core/appservices.h"
#include "core/historylog.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "local/localdelete.h"
#include "local/localentry.h"
#include "local/localfileoperations.h"
#include "local/localpane.h"
#include "local/openwithdialog.h"
#include "local/propertiesdialog.h"
#include "local/shelllauncher.h"
#include "widgets/busycursor.h"
#include "widgets/inputbox.h"

namespace {

const QString LineEnd = QStringLiteral("\r\n");

} // namespace

LocalCommands::LocalCommands(LocalPane &pane, const AppServices &services, QObject *parent)
    : QObject(parent)
    , m_pane(pane)
    , m_services(services)
{
}

void LocalCommands::setDialogRunner(DialogRunner runner)
{
    m_dialogRunner = std::move(runner);
}

QString LocalCommands::currentFolder() const
{
    return m_pane.TreeNodePath();
}

QString LocalCommands::selectedPath() const
{
    const QList<LocalEntry> entries = m_pane.selectedEntries();
    return entries.isEmpty() ? currentFolder() : m_pane.shownFolder() + entries.first().name;
}

void LocalCommands::open()
{
    const QString path = selectedPath();
    if (FindAssociatedProgram(path).trimmed().isEmpty()) {
        if (m_services.prompts.askYesNo(text("MPUB_NOAPP") + LineEnd + text("MPUB_PROGSEL")))
            openWithPath(path);
        return;
    }
    if (!launchDefaultApplication(path))
        m_services.prompts.message(text("FRMOPENWITH_STARTFAILED") + LineEnd + path, Prompts::Icon::Exclamation);
}

void LocalCommands::openWith()
{
    openWithPath(selectedPath());
}

void LocalCommands::openWithPath(const QString &path)
{
    OpenWithDialog dialog(path, &m_pane);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    if (!dialog.launchChoice())
        m_services.prompts.message(text("FRMOPENWITH_STARTFAILED") + LineEnd + path, Prompts::Icon::Exclamation);
}

void LocalCommands::properties()
{
    PropertiesDialog dialog(selectedPath(), &m_pane);
    runDialog(dialog);
}

void LocalCommands::rename(ListingVariant listing)
{
    const QString folder = m_pane.shownFolder();
    const QList<LocalEntry> entries = m_pane.selectedEntries();
    if (entries.size() >= 2) {
        m_services.prompts.message(text("FRMPOPLOC_ONEFILE"), Prompts::Icon::Information);
        return;
    }
    if (entries.isEmpty())
        return;
    // The name exactly as the listing has it: trimming would rename a different file.
    const LocalEntry &entry = entries.first();
    HistoryLog &history = m_services.history;
    history.appendLine(text("FRMPULOC_RENAME2") + u' ' + entry.name + LineEnd);
    const QString newName = TypedName(m_services.prompts.input(
        text("FRMPULOC_NEWNAME") + u' ' + entry.name + QStringLiteral(" ?"), entry.name, InputBoxPosition()));
    if (newName.isEmpty()) {
        history.appendLine(text("FRMPULOC_RENCANCEL") + LineEnd, HistoryLog::Colour::Red);
        return;
    }
    if (!renameLocalEntry(folder, entry.name, newName)) {
        history.appendLine(text("FRMPULOC_RENFAILED") + LineEnd, HistoryLog::Colour::Red);
        return;
    }
    history.appendLine(text("FRMPULOC_RENOK") + LineEnd, HistoryLog::Colour::Green);
    if (entry.isFolder) {
        // The tree and the path box must not keep the folder's old name.
        m_pane.refreshTreeNode(folder);
        m_pane.pruneVanishedFolders();
    }
    m_pane.relist(folder, listing);
}

void LocalCommands::newFolder(ListingVariant listing)
{
    const QString name = TypedName(m_services.prompts.input(text("FRMPULOC_DIRNAME"), {}, InputBoxPosition()));
    const QString folder = currentFolder();
    if (name.isEmpty())
        return;
    HistoryLog &history = m_services.history;
    history.appendLine(
        text("FRMPUSERVER_DIRNEW1") + u' ' + folder + name + u' ' + text("FRMPUSERVER_DIRNEW2") + LineEnd);
    if (!createLocalFolder(folder, name)) {
        history.appendLine(text("FRMPULOC_GENFAIL") + LineEnd, HistoryLog::Colour::Red);
        return;
    }
    history.appendLine(text("FRMPULOC_GENOK") + LineEnd, HistoryLog::Colour::Green);
    BusyCursor busy;
    m_pane.refreshTreeNode(folder);
    m_pane.relist(folder, listing);
}

void LocalCommands::deleteSelection()
{
    const QString folder = m_pane.shownFolder();
    QStringList paths;
    for (const LocalEntry &entry : m_pane.selectedEntries())
        paths.append(folder + entry.name);
    LocalDelete engine(m_services.history, m_services.prompts, m_services.progress);
    if (!engine.confirm(paths))
        return;
    // The hourglass only once the question is answered: the user is not kept waiting for it.
    const BusyCursor busy;
    engine.remove(paths);
    // Deleted folders leave the tree and the path box whichever way the delete was started; only
    // the folder the entries lay in can have lost subfolders.
    m_pane.refreshTreeNode(folder);
    m_pane.pruneVanishedFolders();
    m_pane.relist(folder, ListingVariant::AfterDelete);
}

int LocalCommands::runDialog(QDialog &dialog)
{
    return m_dialogRunner ? m_dialogRunner(dialog) : dialog.exec();
}
