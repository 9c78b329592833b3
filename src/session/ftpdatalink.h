#pragma once
// The data connection of the transfer under way, its progress reports, and the one set aside after
// a refused transfer command. Each channel holds a megabyte buffer: it is deleted as soon as it is
// done with, never left to pile up.

#include "session/ftpconnection.h"
#include "session/ftpdatachannel.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>

class FtpDataLink {
public:
    enum class State {
        Released, // no data connection
        Open, // opened for a data command that is not out yet, or whose transfer was aborted
        Transferring // the data command is out and its transfer is not over
    };

    // activity hears every sign of life of the data connection.
    explicit FtpDataLink(std::function<void()> activity);
    ~FtpDataLink();

    void setProgressCallback(FtpConnection::ProgressCallback callback) { m_progress = std::move(callback); }

    State state() const { return m_state; }
    FtpDataChannel *channel() const { return m_channel.get(); }
    bool hasFailed() const { return m_channel && m_channel->hasFailed(); }

    // A fresh channel in place of the current one.
    FtpDataChannel &open();
    void startTransfer() { m_state = State::Transferring; }
    // ABOR is out: the transfer is over for us, whatever the server still sends.
    void stopTransfer();
    // The total the progress reports name; -1 when unknown.
    void setTotal(qint64 total) { m_total = total; }
    void reportProgress();
    // Tells the progress of a transfer already released that its total was corrected.
    void reportCorrectedTotal(qint64 done, qint64 total)
    {
        m_total = total;
        if (m_progress)
            m_progress(done, total);
    }

    // Drops the data connection and deletes its channel.
    void release();
    // After a refused transfer command on a protected connection, see the definition.
    void setAside();
    // The server has let go of the connection set aside (a new one is agreed on, or the link is gone).
    void dropSetAside();
    // Stops the data connection but keeps the channel: a call still waiting looks at it and
    // releases it itself.
    void drop();

private:
    void onActivity();

    std::function<void()> m_activity;
    FtpConnection::ProgressCallback m_progress;
    std::unique_ptr<FtpDataChannel> m_channel;
    std::unique_ptr<FtpDataChannel> m_setAside;
    State m_state = State::Released;
    int m_inActivitySignal = 0;
    QElapsedTimer m_progressClock;
    qint64 m_total = -1;
};
