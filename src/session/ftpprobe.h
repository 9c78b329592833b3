#pragma once
// The connection watch's probe: one PWD that nobody waits for. It moves on each sign of life of
// the control connection, without any wait of its own, and hands its outcome to finished.

#include "session/ftpexchange.h"

#include <QTimer>

#include <functional>

class FtpProbe {
public:
    enum class State {
        Idle,
        Collecting, // an abandoned command's late reply comes first, as before any command
        Sent // PWD is out
    };

    // finished(answered) runs from within the probe's own steps.
    FtpProbe(FtpExchange &exchange, std::function<void(bool answered)> finished);

    bool isProbing() const { return m_state != State::Idle; }
    bool start();
    void advance();
    // Ends the probe without a word: a call takes over its owed reply, or the link is going.
    void end();

private:
    void fail(const FtpError &error);
    void finish(bool answered);

    FtpExchange &m_exchange;
    std::function<void(bool)> m_finished;
    State m_state = State::Idle;
    QTimer m_timer;
};
