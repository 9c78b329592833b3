#include "transfer/transferstatus.h"

#include "core/textcatalogue.h"
#include "transfer/transferhost.h"

#include <QLocale>

namespace {

// A person reads a line that changes about four times a second; faster only flickers.
constexpr qint64 refreshIntervalMs = 250;

QString formatDuration(qint64 seconds)
{
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TransferStatus::TransferStatus(TransferHost &host, int filesTotal)
    : m_host(host)
    , m_filesTotal(filesTotal)
{
    m_runClock.start();
}

TransferStatus::~TransferStatus()
{
    m_host.showStatus(QString());
}

void TransferStatus::startFile(const QString &name, qint64 total)
{
    m_name = name;
    m_done = 0;
    m_total = total;
    m_fileClock.start();
    show(true);
}

void TransferStatus::setFileProgress(qint64 done, qint64 total)
{
    m_done = done;
    if (total >= 0)
        m_total = total;
    show(false);
}

void TransferStatus::finishFile(bool transferred)
{
    ++m_filesDone;
    if (transferred) {
        ++m_filesTransferred;
        // Progress is reported a few times a second, so the last report may fall short.
        m_bytesTransferred += qMax(m_done, m_total);
    } else {
        ++m_filesFailed;
    }
    show(false);
}

QString TransferStatus::statusText() const
{
    const QLocale locale;
    const qint64 elapsedMs = m_fileClock.isValid() ? m_fileClock.elapsed() : 0;
    const qint64 bytesPerSecond = elapsedMs > 0 ? m_done * 1000 / elapsedMs : 0;
    const QString total = m_total >= 0 ? locale.formattedDataSize(m_total) : QStringLiteral("?");
    const QString left = m_total >= 0 && bytesPerSecond > 0
        ? formatDuration((m_total - qMin(m_done, m_total)) / bytesPerSecond)
        : QStringLiteral("?");
    return text("TRANSFER_STATUS")
        .arg(m_name, locale.formattedDataSize(m_done), total, locale.formattedDataSize(bytesPerSecond), left,
            QString::number(qMin(m_filesDone + 1, m_filesTotal)), QString::number(m_filesTotal));
}

QString TransferStatus::summaryText() const
{
    const QLocale locale;
    const qint64 elapsedMs = m_runClock.elapsed();
    const qint64 bytesPerSecond = elapsedMs > 0 ? m_bytesTransferred * 1000 / elapsedMs : 0;
    return text("TRANSFER_SUMMARY")
        .arg(QString::number(m_filesTransferred), QString::number(m_filesFailed),
            locale.formattedDataSize(m_bytesTransferred), formatDuration(elapsedMs / 1000),
            locale.formattedDataSize(bytesPerSecond));
}

void TransferStatus::show(bool force)
{
    if (!force && m_shownClock.isValid() && m_shownClock.elapsed() < refreshIntervalMs)
        return;
    m_shownClock.start();
    m_host.showStatus(statusText());
}
