#include "transfer/renamingtransfer.h"

#include "core/paths.h"
#include "core/textcatalogue.h"
#include "transfer/downloadengine.h"
#include "transfer/serverpath.h"
#include "transfer/transferhost.h"
#include "transfer/transferstatus.h"
#include "transfer/uploadengine.h"

#include <QFileInfo>

namespace {

// The joint of both start lines; the program has always written it in German.
const QString asWord = QStringLiteral(" als ");

} // namespace

QString RenamingTransfer::emptyFileLine()
{
    return QStringLiteral("Status: Upload fehlgeschlagen (Größe der Datei: 0 Byte)");
}

bool RenamingTransfer::downloadAs(
    const QString &remoteName, qint64 expectedSize, const QString &targetFolder, const QString &newName)
{
    const QString name = newName.trimmed();
    if (name.isEmpty())
        return false;
    const QString localPath = withClosingSlash(targetFolder) + name;
    writeLine(text("MDOWN_DOWNSTART") + u' ' + remoteName + asWord + localPath);

    DownloadEngine engine(m_services, m_host);
    TransferStatus status(m_host, 1);
    status.startFile(remoteName, expectedSize);
    const bool done = engine.DownloadFile(localPath, remoteName, expectedSize, &status);
    status.finishFile(done);
    if (done)
        writeLine(text("MDOWN_DOWNOK"), HistoryLog::Colour::Green);
    else if (!isCancelled()) // the Stop's own line says what happened
        writeFailure("MDOWN_DOWNFAILED", engine.lastError());
    writeSummary(status);
    return done;
}

bool RenamingTransfer::uploadAs(const QString &sourceFolder, const QString &localName, const QString &newName)
{
    const QString name = newName.trimmed();
    if (name.isEmpty())
        return false;
    writeLine(text("FRMPULOC_BEGUP") + u' ' + localName + asWord + name);

    const QString localPath = withClosingSlash(sourceFolder) + localName;
    const QFileInfo file(localPath);
    // Sending nothing would leave an empty file under the new name, or replace a good one with
    // it: the server is not asked at all.
    if (localName.isEmpty() || !file.isFile() || file.size() == 0) {
        writeLine(emptyFileLine(), HistoryLog::Colour::Red);
        return false;
    }
    UploadEngine engine(m_services, m_host);
    bool done = false;
    {
        TransferStatus status(m_host, 1);
        status.startFile(localName, file.size());
        done = engine.UploadFile(localPath, name, &status);
        status.finishFile(done);
        writeSummary(status);
    }
    m_host.refreshServerList();
    return done;
}
