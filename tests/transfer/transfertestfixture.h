#pragma once
// A real server, a session, recorders for the log, the prompts and the progress bar, and a host
// whose reconnect is the program's own: everything the transfer engines talk to.

#include "core/appservices.h"
#include "core/textcatalogue.h"
#include "server/serverlisting.h"
#include "session/session.h"
#include "support/englishcatalogue.h"
#include "support/ftptestserver.h"
#include "support/recordinghistorylog.h"
#include "support/recordingprogress.h"
#include "support/scriptedftpserver.h"
#include "support/scriptedprompts.h"
#include "support/testtransferhost.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

class TransferTest : public ::testing::Test {
public:
    // Server links as {path, target}, the target kept as given ("..", "../real").
    using Links = std::vector<std::pair<const char *, const char *>>;

protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(useEnglishCatalogue());
    }

    // Starts the server (after the test's own settings), connects and enters folder.
    // Starts the server; false when links cannot be made on it (the test then skips).
    bool startWhereLinksCanBeMade()
    {
        m_started = m_server.start();
        EXPECT_TRUE(m_started);
        return m_started && m_server.canMakeLinks();
    }
    void makeLinks(const Links &links)
    {
        for (const auto &[path, target] : links)
            ASSERT_TRUE(m_server.makeLink(QString::fromUtf8(path), QString::fromUtf8(target))) << path;
    }

    void connectTo(const QString &folder = QStringLiteral("/"))
    {
        if (!m_started) {
            ASSERT_TRUE(m_server.start());
            m_started = true;
        }
        ASSERT_TRUE(m_host.ReconnectFtp());
        // The lines of the connect are not the run's.
        m_history.clear();
        m_host.reconnects = 0;
        m_host.commands.clear();
        ASSERT_TRUE(SetServerDirectory(m_session.connection(), folder));
    }

    QString local(const QString &relative = {}) const { return m_local.path() + u'/' + relative; }
    bool writeLocal(const QString &relative, const QByteArray &data) const
    {
        QDir().mkpath(QFileInfo(local(relative)).absolutePath());
        QFile file(local(relative));
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    }
    QByteArray readLocal(const QString &relative) const
    {
        QFile file(local(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // Every name in the local folder, hidden ones too (a left-over temporary file shows here).
    QStringList localNames(const QString &relative = {}) const
    {
        return QDir(local(relative)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QStringList lineTexts() const
    {
        QStringList texts;
        for (const auto &line : m_history.lines())
            texts.append(line.text.chopped(2));
        return texts;
    }
    QStringList linesOf(HistoryLog::Colour colour) const
    {
        QStringList texts;
        for (const auto &line : m_history.lines()) {
            if (line.colour == colour)
                texts.append(line.text.chopped(2));
        }
        return texts;
    }
    QString serverDirectory() const { return GetServerDirectory(m_session.connection()); }

    FtpTestServer m_server;
    Session m_session;
    RecordingHistoryLog m_history;
    ScriptedPrompts m_prompts;
    RecordingProgress m_progress;
    AppServices m_services { m_session, m_history, m_prompts, m_progress };
    TestTransferHost m_host { m_services, m_server };
    QTemporaryDir m_local;
    bool m_started = false;
};

// The same services around a scripted server, for what no real server can be told to do.
class ScriptedTransferTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(useEnglishCatalogue()); }

    // Every line of the run, run together.
    QString allLines() const
    {
        QString all;
        for (const auto &line : m_history.lines())
            all += line.text;
        return all;
    }

    ScriptedFtpServer m_server;
    Session m_session;
    RecordingHistoryLog m_history;
    ScriptedPrompts m_prompts;
    RecordingProgress m_progress;
    AppServices m_services { m_session, m_history, m_prompts, m_progress };
    TestTransferHost m_host { m_services, QUrl(QStringLiteral("ftp://u:p@127.0.0.1:%1/").arg(m_server.port())) };
    QTemporaryDir m_local;
};
