#pragma once
// The scratch copies of server files that Open handed to the desktop, watched for as long as the
// program runs: every save of one is offered for upload back into the server folder it came from.

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

class TransferHost;
struct AppServices;

class EditedCopies : public QObject {
    Q_OBJECT
public:
    explicit EditedCopies(const AppServices &services, QObject *parent = nullptr);
    ~EditedCopies() override;

    // The host the uploads run with; nothing is asked without one.
    void setTransferHost(TransferHost *host) { m_host = host; }

    // Watches the copy at path of the server file name in serverFolder; the copy as it is now is
    // the server's. A copy watched before under that path now stands for this file.
    void watch(const QString &path, const QString &serverFolder, const QString &name);
    bool isWatched(const QString &path) const { return m_copies.contains(path); }

    // Copies whose change has been noticed and not yet asked about.
    bool hasUnaskedChanges() const { return !m_changed.isEmpty(); }
    // Asks about each copy saved since it was last asked about, once per save; Yes uploads it.
    // While a run holds the session nothing is asked: the questions wait until it has ended.
    void askAboutChanges();

private:
    struct Copy {
        QString folder;
        QString name;
        // Of the bytes the server has, as far as this program knows: a save within the file
        // system's clock tick keeps the time, and one of the same length the size.
        QByteArray digest;
    };

    // Empty when the file cannot be read.
    static QByteArray digestOf(const QString &path);

    void noteChange(const QString &path);
    // Editors save by writing a new file and renaming it over the old one, which ends the watch
    // of the old one: the folder's changes bring the new file under watch.
    void folderChanged(const QString &folder);
    // Through the upload engine, with its temporary name and confirmed size, into the folder the
    // copy came from; the server pane stays in the folder it shows.
    void uploadBack(const QString &path, const Copy &copy);

    const AppServices &m_services;
    TransferHost *m_host = nullptr;
    QFileSystemWatcher m_watcher;
    QHash<QString, Copy> m_copies;
    QStringList m_changed; // in the order noticed
    // An editor's save comes as several changes (truncate, writes, rename): asked once it settled.
    QTimer m_settle;
    bool m_asking = false;
};
