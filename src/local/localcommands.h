#pragma once
// The commands on the local pane's selection: open, open with, rename, new folder, properties
// and delete. They read the pane through its public API and report through the app services.

#include "local/listingvariant.h"

#include <QObject>
#include <QString>

#include <functional>

class LocalPane;
class QDialog;
struct AppServices;

class LocalCommands : public QObject {
    Q_OBJECT
public:
    // Shows a dialog modally and returns its result (QDialog::Accepted or Rejected).
    using DialogRunner = std::function<int(QDialog &)>;

    LocalCommands(LocalPane &pane, const AppServices &services, QObject *parent = nullptr);

    // Opens the selected entry with its default application; asks to choose one when none.
    void open();
    // Shows the open-with dialog for the selected entry (the current folder when none).
    void openWith();
    // Renames the one selected entry in place; lists the folder again with listing.
    void rename(ListingVariant listing = ListingVariant::Menu);
    // Asks for a name and creates that folder in the current folder; lists it with listing.
    void newFolder(ListingVariant listing = ListingVariant::Menu);
    // Shows the properties of the selected entry (the current folder when none).
    void properties();
    // Deletes the selected entries for good after one question, then repairs tree and path box.
    void deleteSelection();

    // Tests replace the modal exec() of the open-with and properties dialogs.
    void setDialogRunner(DialogRunner runner);

    // The pane's current folder with a closing "/".
    QString currentFolder() const;
    // The first selected name in the folder the list shows; the current folder when none.
    QString selectedPath() const;

private:
    void openWithPath(const QString &path);
    int runDialog(QDialog &dialog);

    LocalPane &m_pane;
    const AppServices &m_services;
    DialogRunner m_dialogRunner;
};
