#pragma once
// The commands on one item of the server pane: open, open with, rename and new folder. Open and
// open with fetch the file into the private scratch folder and hand that copy to the desktop;
// each save of the copy there is offered for upload back.

#include "core/historylog.h"

#include <QObject>
#include <QString>

#include <functional>

class EditedCopies;
class QDialog;
class ServerPane;
class TransferHost;
struct AppServices;

class ServerCommands : public QObject {
    Q_OBJECT
public:
    // The open command speaks with the menus' texts or with the toolbar's own.
    enum class Texts { Menu, ToolBar };
    // Shows a dialog modally and returns its result (QDialog::Accepted or Rejected).
    using DialogRunner = std::function<int(QDialog &)>;

    ServerCommands(ServerPane &pane, const AppServices &services, QObject *parent = nullptr);

    // The host the open commands' downloads run with; they do nothing without one.
    void setTransferHost(TransferHost *host);
    TransferHost *transferHost() const { return m_host; }
    // The copies open and open with have fetched.
    EditedCopies *editedCopies() const { return m_editedCopies; }

    // Fetches the selected file and starts its default application; asks to choose one when
    // there is none.
    void open(Texts texts);
    // Fetches the selected file and shows the open-with dialog for it.
    void openWith();
    // Renames the selected row to a name the user types.
    void rename();
    // Creates a folder of a name the user types in the server's current folder.
    void newFolder();

    // Tests replace the modal exec() of the open-with dialog.
    void setDialogRunner(DialogRunner runner) { m_dialogRunner = std::move(runner); }

private:
    // The one-file rule: false (after saying so) when two or more rows are selected.
    bool hasAtMostOneSelected(const char *messageKey) const;
    // The focused row's name exactly as listed; empty when no row is selected.
    QString selectedName() const;
    // Fetches name into the scratch folder with its start and result lines; the copy's path, or
    // empty when there is nothing to open.
    QString fetchToScratch(const QString &name, const char *startKey, const char *okKey, const char *failedKey);
    void chooseProgram(const QString &path);
    // Whether a command may use the connection now; one command at a time.
    bool mayStart() const;
    void writeLine(const QString &text, HistoryLog::Colour colour = HistoryLog::Colour::Black);

    ServerPane &m_pane;
    const AppServices &m_services;
    TransferHost *m_host = nullptr;
    EditedCopies *m_editedCopies;
    DialogRunner m_dialogRunner;
};
