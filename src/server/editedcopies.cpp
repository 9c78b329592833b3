#include "server/editedcopies.h"

#include "core/appservices.h"
#include "core/historylog.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "server/serverlisting.h"
#include "session/session.h"
#include "transfer/transferhost.h"
#include "transfer/uploadengine.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

// How long a copy must stay unchanged before its save counts as finished.
constexpr int SettleMs = 300;

const QString LineEnd = QStringLiteral("\r\n");

} // namespace

EditedCopies::EditedCopies(const AppServices &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &EditedCopies::askAboutChanges);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &EditedCopies::noteChange);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &EditedCopies::folderChanged);
    connect(&m_services.session, &Session::busyChanged, this, [this](bool busy) {
        // Later, not now: the run that ends may be the fetch of a copy, which is watched anew next.
        if (!busy && !m_changed.isEmpty())
            m_settle.start();
    });
}

EditedCopies::~EditedCopies() = default;

void EditedCopies::watch(const QString &path, const QString &serverFolder, const QString &name)
{
    const QFileInfo info(path);
    m_copies.insert(path, { serverFolder, name, digestOf(path) });
    m_changed.removeAll(path);
    if (!m_watcher.files().contains(path))
        m_watcher.addPath(path);
    if (!m_watcher.directories().contains(info.path()))
        m_watcher.addPath(info.path());
}

QByteArray EditedCopies::digestOf(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

void EditedCopies::noteChange(const QString &path)
{
    if (!m_copies.contains(path))
        return;
    // A file replaced by another under its name is no longer watched.
    if (!m_watcher.files().contains(path) && QFileInfo::exists(path))
        m_watcher.addPath(path);
    if (!m_changed.contains(path))
        m_changed.append(path);
    m_settle.start();
}

void EditedCopies::folderChanged(const QString &folder)
{
    for (auto copy = m_copies.cbegin(); copy != m_copies.cend(); ++copy) {
        if (QFileInfo(copy.key()).path() == folder && !m_watcher.files().contains(copy.key())
            && QFileInfo::exists(copy.key()))
            noteChange(copy.key());
    }
}

void EditedCopies::askAboutChanges()
{
    // One question at a time: a save while one is open is asked about after it.
    if (m_asking || !m_host)
        return;
    m_asking = true;
    while (!m_changed.isEmpty() && !m_services.session.isBusy()) {
        const QString path = m_changed.takeFirst();
        const auto copy = m_copies.find(path);
        const QFileInfo info(path);
        // Gone, or half way through an editor's save: its new file brings it back.
        if (copy == m_copies.end() || !info.isFile())
            continue;
        // The same bytes: touched, or fetched anew, but not changed.
        const QByteArray digest = digestOf(path);
        if (digest.isEmpty() || digest == copy->digest)
            continue;
        copy->digest = digest;
        const Copy asked = *copy;
        if (m_services.prompts.askYesNo(text("EDIT_UPLOADBACK").arg(asked.name, asked.folder)))
            uploadBack(path, asked);
    }
    m_asking = false;
}

void EditedCopies::uploadBack(const QString &path, const Copy &copy)
{
    Session &session = m_services.session;
    const Session::Run run(session);
    m_services.history.appendLine(text("FRMPULOC_BEGUP") + u' ' + path + LineEnd, HistoryLog::Colour::Black);
    FtpConnection *connection = session.connection();
    const QString shown = GetServerDirectory(connection);
    if (shown.isEmpty() || !SetServerDirectory(connection, copy.folder)) {
        m_services.history.appendLine(
            text("EDIT_FOLDERGONE").arg(copy.folder, copy.name) + LineEnd, HistoryLog::Colour::Red);
        return;
    }
    UploadEngine engine(m_services, *m_host);
    engine.UploadFile(path, copy.name);
    if (!session.isRunCancelled())
        SetServerDirectory(session.connection(), shown);
    // Lists once the run has ended, when the pane shows the copy's folder the new size too.
    m_host->refreshServerList();
}
