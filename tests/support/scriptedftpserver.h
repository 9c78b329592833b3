#pragma once
// A small FTP server on loopback that answers one client from a script, for the cases no real
// server can be told to show: replies out of order or out of range, short transfers, listings
// that never end, links and loops, a TLS refusal in the middle of a run. By default it answers
// a plain login, PWD, CWD, TYPE, NOOP, PASV, LIST/MLSD and QUIT; onCommand takes over any command.

#include <QByteArray>
#include <QStringList>
#include <QTcpServer>

#include <functional>
#include <optional>

class QTcpSocket;

class ScriptedFtpServer {
public:
    ScriptedFtpServer();
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer &) = delete;
    ScriptedFtpServer &operator=(const ScriptedFtpServer &) = delete;

    QByteArray greeting = "220 Scripted server ready\r\n";
    QByteArray features = "211-Features:\r\n MLST type*;size*;modify*;\r\n UTF8\r\n211 End\r\n";
    QByteArray passwordReply = "230 Logged in\r\n";
    QByteArray pasvHost = "127,0,0,1";
    bool refuseMlsd = false;
    QByteArray listLines;
    QByteArray mlsdLines;
    QStringList received; // every command line, in order

    // Called for every command before the default answers; true when it answered the command
    // itself (through reply(), sendData() or receiveData()). verb is upper case.
    std::function<bool(const QByteArray &verb, const QByteArray &argument)> onCommand;

    quint16 port() const { return m_control.serverPort(); }
    quint16 dataPort() const { return m_data.serverPort(); }
    bool hasDataConnection() const { return m_dataConnections > 0; }

    // Writes bytes to the control connection as they are.
    void reply(const QByteArray &bytes);
    // RFC 959 stream mode: preliminary (a 150), then data over the data connection (once the
    // client has connected) and its close, then finalReply ("226 ..." unless told otherwise).
    void sendData(const QByteArray &data, const QByteArray &finalReply = "226 Transfer complete\r\n",
        const QByteArray &preliminary = "150 Here comes the data\r\n");
    // 150, then chunk over the data connection again and again until the client closes it.
    void sendEndlessData(const QByteArray &chunk);
    // 150, then keeps what arrives over the data connection in stored; once it closes, sends
    // finalReply, or the result of finalReplyFor(stored) when that is set.
    void receiveData(const QByteArray &finalReply = "226 Transfer complete\r\n");
    QByteArray stored;
    std::function<QByteArray(const QByteArray &stored)> finalReplyFor;
    // receiveData() takes only this many bytes (-1: all), then resets the data connection with
    // the rest unread and sends its final reply at once, as a server that stopped reading does.
    qsizetype receiveLimit = -1;
    // Ends the control connection from the server's side.
    void disconnectClient();
    // Writes bytes (the 234 to AUTH TLS, and whatever a hostile server adds) in clear, then speaks
    // TLS on the control connection with a self-signed certificate for 127.0.0.1.
    void replyAndStartTls(const QByteArray &bytes);

private:
    // Accepts the control connection as a socket that can turn to TLS.
    class ControlServer : public QTcpServer
    {
    protected:
        void incomingConnection(qintptr descriptor) override;
    };

    void readCommands();
    void answer(const QByteArray &verb, const QByteArray &argument);
    void startPendingData();

    ControlServer m_control;
    QTcpServer m_data;
    QTcpSocket *m_client = nullptr;
    QTcpSocket *m_dataClient = nullptr;
    std::optional<QByteArray> m_pending;
    bool m_endless = false;
    QByteArray m_pendingReply;
    bool m_receiving = false;
    int m_dataConnections = 0;
};
