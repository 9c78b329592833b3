#pragma once
// The status line of a transfer run: the file in flight with its bytes, speed and time left, and
// the run's files done of total. Updated a few times a second at most, whatever the block rate.

#include <QElapsedTimer>
#include <QString>

class TransferHost;

class TransferStatus
{
public:
    explicit TransferStatus(TransferHost &host, int filesTotal);
    // Clears the status line.
    ~TransferStatus();
    TransferStatus(const TransferStatus &) = delete;
    TransferStatus &operator=(const TransferStatus &) = delete;

    void startFile(const QString &name, qint64 total);
    // total -1 keeps the size given to startFile().
    void setFileProgress(qint64 done, qint64 total = -1);
    // transferred: the file arrived whole; otherwise it counts as failed.
    void finishFile(bool transferred);
    // Failures that are no file of their own (a folder whose listing was read in part) count
    // among the failed files of the summary.
    void addFailures(int count) { m_filesFailed += count; }

    // The text for the current state; public so that its form can be checked.
    QString statusText() const;
    // The run's end in one line: files done and failed, bytes, time and average speed.
    QString summaryText() const;

private:
    void show(bool force);

    TransferHost &m_host;
    int m_filesTotal;
    int m_filesDone = 0; // finished, whole or not
    int m_filesTransferred = 0;
    int m_filesFailed = 0;
    qint64 m_bytesTransferred = 0; // of the files that arrived whole
    QElapsedTimer m_runClock;
    QString m_name;
    qint64 m_done = 0;
    qint64 m_total = -1;
    QElapsedTimer m_fileClock;
    QElapsedTimer m_shownClock;
};
