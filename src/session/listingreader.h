#pragma once
// Parses a LIST or MLSD listing line by line while it arrives over the data connection, so that
// only the entries are kept, and stops a listing that goes past a generous bound: a hostile
// server can send one that never ends. Written to as the data connection's sink. The parsing runs
// on a pool thread: 20,000 lines arrive faster than the window may wait for them to be read.

#include "session/listingparser.h"
#include "session/listingproblems.h"
#include "session/remoteentry.h"

#include <QByteArray>
#include <QDateTime>
#include <QFuture>
#include <QIODevice>
#include <QList>
#include <QMutex>

#include <atomic>
#include <QString>

class FtpNameCodec;

class ListingReader : public QIODevice
{
    Q_OBJECT
public:
    static constexpr qsizetype MaxEntries = 1'000'000;
    static constexpr qint64 MaxBytes = 256 * 1024 * 1024;
    // Longer lines cannot hold an entry and are skipped.
    static constexpr qsizetype MaxLineLength = 64 * 1024;
    // How much of a skipped line the problems keep.
    static constexpr qsizetype LongLineShown = 80;

    enum class Format { List, Mlsd };

    // Opened for writing; now decides the year of LIST lines that give a time of day. names, when
    // given, reads the names of lines that are not UTF-8 and remembers their bytes.
    explicit ListingReader(
        Format format, FtpNameCodec *names = nullptr, const QDateTime &now = QDateTime::currentDateTimeUtc());

    // Waits, letting the window's events run, for the lines under way to be parsed.
    ~ListingReader() override;

    // The data connection ended: waits, letting the window's events run, until every line is
    // parsed; a last line without its line end still counts.
    void finish();
    QList<RemoteEntry> takeEntries() { return m_overflowed ? QList<RemoteEntry>() : std::exchange(m_entries, {}); }
    // The names it refused and the lines it could not read; complete after finish().
    ListingProblems problems() const { return m_problems; }
    // The listing went past MaxEntries or MaxBytes and was stopped.
    bool hasOverflowed() const { return m_overflowed; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    // Fails (-1, hasOverflowed() says why) once the listing passes MaxEntries or MaxBytes.
    qint64 writeData(const char *data, qint64 size) override;

private:
    // On the pool thread: parses what writeData queued until nothing is left.
    void drain();
    void parseBlock(QByteArrayView block);
    void parseLine(QByteArrayView line);
    void takeResults();
    void keep(ListingParser::LineResult result);
    void noteUnreadable(const QString &line);
    // text as a name of the server: a part of a recent line read as Latin-1 is read again as a
    // name (so it may turn out UTF-8 after all) and its bytes are remembered.
    QString serverName(const QString &text) const;
    qint64 fail();

    Format m_format;
    qint64 m_received = 0;
    std::atomic<bool> m_overflowed = false;
    std::atomic<bool> m_stopped = false; // nothing more is parsed: overflowed or given up
    QMutex m_queueLock;
    QByteArray m_queue; // received, not yet parsed; guarded by m_queueLock
    bool m_draining = false; // a pool task parses the queue; guarded by m_queueLock
    QFuture<void> m_drainTask;
    // Everything below belongs to the pool task while it runs and to the caller after finish().
    // The codec too: the connection is busy with the listing, so no command reads it meanwhile.
    FtpNameCodec *m_names;
    // The line before and the line just added, when they were read as Latin-1 (empty when not): an
    // entry comes from the line just added or, when the parser held that back, from the one before.
    QString m_latin1Lines[2];
    QByteArray m_partialLine; // received after the last line end
    bool m_skippingLine = false; // the line under way passed MaxLineLength
    QString m_longLineStart; // what the problems show of it
    ListingParser::ListParser m_listParser;
    QList<RemoteEntry> m_entries;
    ListingProblems m_problems;
};
