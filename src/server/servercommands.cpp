#include "server/servercommands.h"

#include "core/appservices.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "local/openwithdialog.h"
#include "local/shelllauncher.h"
#include "server/editedcopies.h"
#include "server/serverlisting.h"
#include "server/serverlistmodel.h"
#include "server/serverlistview.h"
#include "server/serverpane.h"
#include "session/ftperrortext.h"
#include "session/listingparser.h"
#include "session/session.h"
#include "transfer/downloadengine.h"
#include "widgets/inputbox.h"

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// The red line of key, followed by the server's reason when there is one.
QString failureLine(const char *key, const QString &reason)
{
    return reason.isEmpty() ? text(key) : text(key) + u' ' + reason;
}

struct OpenTexts {
    const char *startDownload;
    const char *downloadOk;
    const char *downloadFailed;
    const char *noApp1;
    const char *noApp2;
    const char *declined;
    const char *starting;
    const char *started;
    const char *oneFile;
};

const OpenTexts MenuTexts { "FRMPUSERVER_STARTDOWN", "FRMPUSERVER_DOWNOK", "FRMPUSERVER_DOWNFAILED",
    "FRMPUSERVER_NOAPP1", "FRMPUSERVER_NOAPP2", "FRMPUSERVER_OPENCANCEL", "FRMPUSERVER_OPEN", "FRMPUSERVER_OPENOK",
    "FRMPUSERVER_ONEFILE" };
const OpenTexts ToolBarTexts { "FRMSERVER_STARTDOWN", "FRMSERVER_DOWNOK", "FRMSERVER_DOWNFAILED", "FRMSERVER_NOAPP1",
    "FRMSERVER_NOAPP2", "FRMSERVER_OPENCANCEL", "FRMSERVER_OPENFILE", "FRMSERVER_OPENOK", "FRMSERVER_ONLYONEFILE" };

} // namespace

ServerCommands::ServerCommands(ServerPane &pane, const AppServices &services, QObject *parent)
    : QObject(parent)
    , m_pane(pane)
    , m_services(services)
    , m_editedCopies(new EditedCopies(services, this))
{
}

void ServerCommands::setTransferHost(TransferHost *host)
{
    m_host = host;
    m_editedCopies->setTransferHost(host);
}

bool ServerCommands::mayStart() const
{
    return !m_services.session.isBusy();
}

void ServerCommands::writeLine(const QString &line, HistoryLog::Colour colour)
{
    m_services.history.appendLine(line + LineEnd, colour);
}

bool ServerCommands::hasAtMostOneSelected(const char *messageKey) const
{
    // Every selected row counts, the ".." row too.
    if (m_pane.listView()->selectedRows().size() < 2)
        return true;
    m_services.prompts.message(text(messageKey), Prompts::Icon::Information);
    return false;
}

QString ServerCommands::selectedName() const
{
    return m_pane.model()->rowName(m_pane.listView()->selectedRow());
}

QString ServerCommands::fetchToScratch(
    const QString &name, const char *startKey, const char *okKey, const char *failedKey)
{
    // ".." and other names that stand for no file of this folder fail as a folder row does.
    if (!name.isEmpty() && !ListingParser::isAcceptableName(name)) {
        writeLine(text(startKey) + u' ' + name);
        writeLine(text(failedKey), HistoryLog::Colour::Red);
        return {};
    }
    const QString path = MakeScratchFile(name);
    if (path.isEmpty() || !m_host)
        return {};
    writeLine(text(startKey) + u' ' + name);
    bool fetched = false;
    QString reason;
    QString folder;
    {
        Session::Run run(m_services.session);
        // The folder a save of the copy goes back to.
        folder = GetServerDirectory(m_services.session.connection());
        DownloadEngine engine(m_services, *m_host);
        // The copy of an earlier open stays until this one has fully arrived.
        fetched = engine.DownloadFile(path, name);
        reason = engine.lastError();
    }
    if (!fetched) {
        writeLine(failureLine(failedKey, reason), HistoryLog::Colour::Red);
        return {};
    }
    writeLine(text(okKey), HistoryLog::Colour::Green);
    if (!folder.isEmpty())
        m_editedCopies->watch(path, folder, name);
    return path;
}

void ServerCommands::open(Texts texts)
{
    const OpenTexts &keys = texts == Texts::Menu ? MenuTexts : ToolBarTexts;
    if (!mayStart() || !hasAtMostOneSelected(keys.oneFile))
        return;
    const QString name = selectedName();
    const QString path = fetchToScratch(name, keys.startDownload, keys.downloadOk, keys.downloadFailed);
    if (path.isEmpty())
        return;
    if (FindAssociatedProgram(path).trimmed().isEmpty()) {
        if (m_services.prompts.askYesNo(text(keys.noApp1) + LineEnd + text(keys.noApp2)))
            chooseProgram(path);
        else
            writeLine(text(keys.declined), HistoryLog::Colour::Red);
        return;
    }
    writeLine(text(keys.starting) + u' ' + name);
    // GIO hands the path over as one argument, blanks and all.
    if (launchDefaultApplication(path))
        writeLine(text(keys.started), HistoryLog::Colour::Green);
    else
        writeLine(text("FRMOPENWITH_STARTFAILED") + u' ' + path, HistoryLog::Colour::Red);
}

void ServerCommands::openWith()
{
    if (!mayStart() || !hasAtMostOneSelected("FRMPUSERVER_ONEFILE"))
        return;
    const QString path
        = fetchToScratch(selectedName(), "FRMPUSERVER_DOWNSTART", "FRMPUSERVER_DOWNOK", "FRMPUSERVER_DOWNFAILED");
    if (path.isEmpty())
        return;
    writeLine(text("FRMPUSERVER_OPENDIA"));
    chooseProgram(path);
}

void ServerCommands::chooseProgram(const QString &path)
{
    OpenWithDialog dialog(path, &m_pane);
    const int result = m_dialogRunner ? m_dialogRunner(dialog) : dialog.exec();
    if (result == QDialog::Accepted && !dialog.launchChoice())
        writeLine(text("FRMOPENWITH_STARTFAILED") + u' ' + path, HistoryLog::Colour::Red);
}

void ServerCommands::rename()
{
    if (!mayStart() || !hasAtMostOneSelected("FRMPUSERVER_ONEFILE"))
        return;
    // The name exactly as listed: a trimmed one would name another item, or none. Without a
    // selected row the question still comes, and the rename fails.
    const QString old = selectedName();
    writeLine(text("FRMPUSERVER_RENAMEOF") + u' ' + old);
    const QString answer = TypedName(m_services.prompts.input(
        text("FRMPUSERVER_NEWNAME") + u' ' + old + QStringLiteral(" ?"), old, InputBoxPosition()));
    if (answer.isEmpty()) {
        writeLine(text("FRMPUSERVER_RENAMECANCEL"), HistoryLog::Colour::Red);
        return;
    }
    bool renamed = false;
    QString reason;
    {
        Session::Run run(m_services.session);
        FtpConnection *connection = m_services.session.connection();
        renamed = RenameServerItem(connection, old, answer);
        if (!renamed && connection)
            reason = describe(connection->error());
    }
    if (!renamed) {
        writeLine(failureLine("FRMPUSERVER_RENAMEFAILED", reason), HistoryLog::Colour::Red);
        return;
    }
    writeLine(text("FRMPUSERVER_RENAMEOK"), HistoryLog::Colour::Green);
    m_pane.RefreshServerList();
}

void ServerCommands::newFolder()
{
    if (!mayStart())
        return;
    const QString name = TypedName(m_services.prompts.input(text("FRMPUSERVER_FOLDNAME"), {}, InputBoxPosition()));
    if (name.isEmpty())
        return;
    writeLine(text("FRMPUSERVER_DIRNEW1") + u' ' + name + u' ' + text("FRMPUSERVER_DIRNEW2"));
    bool created = false;
    QString reason;
    {
        Session::Run run(m_services.session);
        FtpConnection *connection = m_services.session.connection();
        created = CreateServerFolder(connection, name);
        if (!created && connection)
            reason = describe(connection->error());
    }
    if (!created) {
        writeLine(failureLine("FRMPUSERVER_DIRFAILED", reason), HistoryLog::Colour::Red);
        return;
    }
    writeLine(text("FRMPUSERVER_DIROK"), HistoryLog::Colour::Green);
    m_pane.RefreshServerList();
}
