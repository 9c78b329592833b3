// FtpConnection against a small scripted server that misbehaves on purpose: a PASV reply that
// names a third host, MLST announced but MLSD refused, replies too long to keep, a password
// repeated in the reply. Real servers cannot be told to do these things.
#include "core/textcatalogue.h"
#include "session/certificatetrust.h"
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "session/ftpreplyreader.h"
#include "session/listingreader.h"
#include "support/scriptedftpserver.h"

#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <type_traits>

namespace {

constexpr int testTimeoutMs = 5000;
const QString Password = QStringLiteral("s3cret-pw");

class FtpHostileServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
        QObject::connect(&m_connection, &FtpConnection::commandSent,
            [this](const QString &line) { m_sent.append(line.section(u' ', 0, 0)); });
    }

    bool connectToServer()
    {
        return m_connection.connectToHost(
            QStringLiteral("127.0.0.1"), m_server.port(), QStringLiteral("ann"), Password, true);
    }

    ScriptedFtpServer m_server;
    FtpConnection m_connection;
    QStringList m_sent;
};

TEST_F(FtpHostileServerTest, DataConnectionGoesToTheControlPeerWhateverPasvNames)
{
    // TEST-NET-1 (RFC 5737): nobody answers there; a client that believed the reply would time out.
    m_server.pasvHost = "192,0,2,1";
    m_server.features = "211 no features\r\n";
    m_server.listLines = "-rw-r--r--   1 ann      ann            12 Mar 05  2004 hello.txt\r\n";
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();

    const std::optional<QList<RemoteEntry>> entries = m_connection.list();
    ASSERT_TRUE(entries.has_value()) << describe(m_connection.error()).toStdString();
    ASSERT_EQ(entries->size(), 1);
    EXPECT_EQ(entries->first().name, QStringLiteral("hello.txt"));
    EXPECT_TRUE(m_server.hasDataConnection());
}

TEST_F(FtpHostileServerTest, RefusedMlsdFallsBackToListForTheConnection)
{
    m_server.refuseMlsd = true;
    m_server.listLines = "drwxr-xr-x   2 ann      ann          4096 2005-06-07 21:22 pub\r\n";
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();

    for (int round = 0; round < 2; ++round) {
        const std::optional<QList<RemoteEntry>> entries = m_connection.list();
        ASSERT_TRUE(entries.has_value()) << describe(m_connection.error()).toStdString();
        ASSERT_EQ(entries->size(), 1);
        EXPECT_TRUE(entries->first().isFolder);
    }
    // MLSD is asked once; after its refusal this connection lists with LIST alone.
    EXPECT_EQ(m_sent.filter(QStringLiteral("MLSD")).size(), 1) << m_sent.join(u',').toStdString();
    EXPECT_EQ(m_sent.filter(QStringLiteral("LIST")).size(), 2);

    // A new connection asks again: another server may stand behind the same address.
    m_sent.clear();
    m_server.refuseMlsd = false;
    m_server.mlsdLines = "type=file;size=3;modify=20040307090500; a.txt\r\n";
    ASSERT_TRUE(connectToServer());
    const std::optional<QList<RemoteEntry>> entries = m_connection.list();
    ASSERT_TRUE(entries.has_value());
    EXPECT_TRUE(m_sent.contains(QStringLiteral("MLSD")));
    EXPECT_FALSE(m_sent.contains(QStringLiteral("LIST")));
}

// What a listing leaves out is reported, not dropped in silence; a LIST reply is read as a
// whole, so a VMS entry spread over two lines is one entry.
TEST_F(FtpHostileServerTest, ListingReportsRefusedNamesAndUnreadableLines)
{
    const QByteArray overlong(ListingReader::MaxLineLength + 10, 'x');
    struct Case {
        const char *label;
        bool mlsd;
        QByteArray lines;
        QStringList names;
        QStringList refused;
        int unreadable;
        QString first;
    };
    const Case cases[] = {
        { "list", false,
            "-rw-r--r--   1 ann ann 12 Mar 05  2004 ../up.txt\r\n"
            "garbage one\r\n"
            "PAYROLL_2019.DAT;1\r\n"
            "64   4-MAR-2019 00:04 [ACCT,STAFF] (RWED,RWED,RE,)\r\n"
            "garbage two\r\n"
                + overlong + "\r\n",
            { QStringLiteral("PAYROLL_2019.DAT") }, { QStringLiteral("../up.txt") }, 3, QStringLiteral("garbage one") },
        { "mlsd", true, "type=file;size=3; a/b\r\nno facts here\r\ntype=file;size=3; a.txt\r\n",
            { QStringLiteral("a.txt") }, { QStringLiteral("a/b") }, 1, QStringLiteral("no facts here") },
        { "overlong_last", false, overlong, {}, {}, 1,
            QString::fromLatin1(overlong.first(80)) + QStringLiteral("...") },
    };
    const QByteArray machineListing = m_server.features;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        m_server.features = c.mlsd ? machineListing : QByteArray("211 no features\r\n");
        m_server.mlsdLines = c.lines;
        m_server.listLines = c.lines;
        ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
        ListingProblems problems;
        const std::optional<QList<RemoteEntry>> entries = m_connection.list(&problems);
        ASSERT_TRUE(entries.has_value()) << describe(m_connection.error()).toStdString();
        QStringList names;
        for (const RemoteEntry &entry : *entries)
            names.append(entry.name);
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(problems.refusedNames, c.refused);
        EXPECT_EQ(problems.unreadableLines, c.unreadable);
        EXPECT_EQ(problems.firstUnreadable, c.first);
    }
}

// The path of a 257 reply by RFC 959 (quotes inside doubled), and mended where a server leaves
// them single so that the RFC reading would stop inside the name.
TEST_F(FtpHostileServerTest, CurrentDirectoryReadsQuotedPathsAndMendsUndoubledQuotes)
{
    const struct {
        QByteArray reply;
        std::optional<QString> path;
    } cases[] = {
        { "257 \"/say \"\"hi\"\"\" created\r\n", QStringLiteral("/say \"hi\"") },
        { "257 \"/say \"hi\"\" is your current location\r\n", QStringLiteral("/say \"hi\"") },
        { "257 \"/a\"b\"\r\n", QStringLiteral("/a\"b") },
        { "257 \"/\" is current directory.\r\n", QStringLiteral("/") },
        { "257 \"/with blank\"\r\n", QStringLiteral("/with blank") },
        { "257 \"/unterminated\r\n", std::nullopt },
    };
    QByteArray pwdReply;
    m_server.onCommand = [&](const QByteArray &verb, const QByteArray &) {
        if (verb != "PWD")
            return false;
        m_server.reply(pwdReply);
        return true;
    };
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply.toStdString());
        pwdReply = c.reply;
        EXPECT_EQ(m_connection.currentDirectory(), c.path);
    }
}

// Failures and ctest's names show the case's label, not its bytes: padding bytes differ from
// run to run.
template <typename Case>
    requires std::is_same_v<decltype(Case::label), const char *>
void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.label;
}

struct OverlongReply {
    const char *label;
    QByteArray greeting;
    FtpReplyReader::Error error;
};

const OverlongReply OverlongReplies[] = {
    { "line_over_64_kib", "220 " + QByteArray(FtpReplyReader::MaxLineLength + 1, 'x') + "\r\n",
        FtpReplyReader::Error::LineTooLong },
    { "line_that_never_ends", QByteArray(4 * FtpReplyReader::MaxLineLength, 'x'), FtpReplyReader::Error::LineTooLong },
    { "reply_over_1_mib",
        "220-Welcome\r\n" + QByteArray(2000, ' ').replace(" ", QByteArray(600, 'y') + "\r\n") + "220 ready\r\n",
        FtpReplyReader::Error::ReplyTooLong },
};

class FtpOverlongReply : public ::testing::TestWithParam<OverlongReply> { };

TEST_P(FtpOverlongReply, FailsTheConnectionWithItsReason)
{
    ScriptedFtpServer server;
    server.greeting = GetParam().greeting;
    FtpConnection connection;
    connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
    EXPECT_FALSE(
        connection.connectToHost(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("ann"), Password, true));
    EXPECT_FALSE(connection.isConnected());
    EXPECT_EQ(connection.error().kind(),
        GetParam().error == FtpReplyReader::Error::LineTooLong ? FtpError::Kind::LineTooLong
                                                               : FtpError::Kind::ReplyTooLong);
}

INSTANTIATE_TEST_SUITE_P(Limits, FtpOverlongReply, ::testing::ValuesIn(OverlongReplies),
    [](const ::testing::TestParamInfo<OverlongReply> &info) { return std::string(info.param.label); });

TEST_F(FtpHostileServerTest, PasswordRepeatedByTheServerIsMaskedInTheReason)
{
    m_server.passwordReply
        = "530-Login incorrect for ann/" + Password.toUtf8() + "\r\n530 Password " + Password.toUtf8() + " refused\r\n";
    QStringList commandLines;
    QObject::connect(
        &m_connection, &FtpConnection::commandSent, [&](const QString &line) { commandLines.append(line); });
    EXPECT_FALSE(connectToServer());
    EXPECT_EQ(m_connection.error().replyClass(), FtpReply::ReplyClass::PermanentError);
    EXPECT_FALSE(m_connection.error().detail().contains(Password)) << describe(m_connection.error()).toStdString();
    EXPECT_FALSE(commandLines.join(u'\n').contains(Password));
}

// The engine's own reasons follow the chosen language; the server's words stay as it sent them.
TEST(FtpFailureReasons, ComeFromTheCatalogueInTheChosenLanguage)
{
    TextCatalogue &catalogue = TextCatalogue::instance();
    ASSERT_TRUE(catalogue.open(TextCatalogue::defaultPath()));
    catalogue.setLanguageTable(QStringLiteral("german"));
    const QString refused = catalogue.text(QStringLiteral("FTP_REFUSED"));
    ASSERT_NE(refused, QString::fromLatin1(TextCatalogue::Placeholder));

    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    FtpConnection connection;
    connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
    EXPECT_FALSE(
        connection.connectToHost(QStringLiteral("127.0.0.1"), closedPort, QStringLiteral("ann"), Password, true));
    EXPECT_EQ(connection.error().kind(), FtpError::Kind::ConnectionRefused);
    EXPECT_EQ(describe(connection.error()), refused);

    ScriptedFtpServer server;
    server.passwordReply = "530 Login incorrect.\r\n";
    EXPECT_FALSE(
        connection.connectToHost(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("ann"), Password, true));
    EXPECT_EQ(connection.error().replyCode(), 530);
    EXPECT_EQ(describe(connection.error()), QStringLiteral("530 Login incorrect."));
    catalogue.close();
}

// ---- Numbers, sizes and ends a server may get wrong ---------------------------------------------

class FtpHostileCaseTest : public FtpHostileServerTest {
protected:
    void SetUp() override
    {
        FtpHostileServerTest::SetUp();
        ASSERT_TRUE(m_local.isValid());
    }

    // Usable, or cleanly gone: then a call fails at once without a word on the wire.
    void expectUsableOrGone()
    {
        if (m_connection.isConnected()) {
            EXPECT_TRUE(m_connection.noop()) << describe(m_connection.error()).toStdString();
            EXPECT_EQ(m_server.received.constLast(), QStringLiteral("NOOP"));
            return;
        }
        const qsizetype sent = m_server.received.size();
        EXPECT_FALSE(m_connection.noop());
        EXPECT_EQ(m_server.received.size(), sent);
    }

    QTemporaryDir m_local;
};

template <typename Case> class FtpHostileTable : public FtpHostileCaseTest, public ::testing::WithParamInterface<Case> {
};

template <typename Case> std::string labelOf(const ::testing::TestParamInfo<Case> &info)
{
    return info.param.label;
}

struct PasvCase {
    const char *label;
    std::function<QByteArray(quint16 port)> numbers; // h1,h2,h3,h4,p1,p2
};

const PasvCase PasvCases[] = {
    // Each of these wraps to the real port when taken modulo 256 or 65536.
    { "p1_over_255",
        [](quint16 port) {
            return "127,0,0,1," + QByteArray::number((port >> 8) + 256) + ',' + QByteArray::number(port & 0xff);
        } },
    { "p2_over_255",
        [](quint16 port) {
            return "127,0,0,1," + QByteArray::number((port >> 8) - 1) + ',' + QByteArray::number((port & 0xff) + 256);
        } },
    { "h1_over_255",
        [](quint16 port) {
            return "383,0,0,1," + QByteArray::number(port >> 8) + ',' + QByteArray::number(port & 0xff);
        } },
    { "port_zero", [](quint16) { return QByteArray("127,0,0,1,0,0"); } },
};

using FtpPasvReply = FtpHostileTable<PasvCase>;

TEST_P(FtpPasvReply, OutOfRangeNumbersAreRefusedWithAReason)
{
    m_server.onCommand = [this](const QByteArray &verb, const QByteArray &) {
        if (verb != "PASV")
            return false;
        m_server.reply("227 Entering Passive Mode (" + GetParam().numbers(m_server.dataPort()) + ")\r\n");
        return true;
    };
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    EXPECT_FALSE(m_connection.list().has_value());
    EXPECT_EQ(m_connection.error().kind(), FtpError::Kind::UnexpectedReply)
        << describe(m_connection.error()).toStdString();
    EXPECT_EQ(m_connection.error().command(), QStringLiteral("PASV"));
    EXPECT_FALSE(m_server.hasDataConnection());
}

INSTANTIATE_TEST_SUITE_P(Numbers, FtpPasvReply, ::testing::ValuesIn(PasvCases), labelOf<PasvCase>);

struct DownloadCase {
    const char *label;
    QByteArray sizeReply;
    QByteArray preliminary;
    std::optional<qint64> fileSize;
    bool completes; // else it fails as 12 of 4096 bytes
};

const QByteArray Opening = "150 Opening BINARY mode data connection";
const DownloadCase DownloadCases[] = {
    { "size_not_a_number_is_unknown", "213 lots\r\n", Opening + "\r\n", std::nullopt, true },
    { "no_size", "550 SIZE not allowed\r\n", Opening + "\r\n", std::nullopt, true },
    { "size_matches", "213 12\r\n", Opening + "\r\n", 12, true },
    { "short_of_size", "213 4096\r\n", Opening + "\r\n", 4096, false },
    { "short_of_the_150_count", "502 no SIZE\r\n", Opening + " for a.bin (4096 bytes)\r\n", std::nullopt, false },
    // The 150 tells the size when the transfer starts, SIZE an earlier one.
    { "150_count_wins", "213 4096\r\n", Opening + " for a.bin (12 bytes)\r\n", 4096, true },
};

using FtpDownloadSize = FtpHostileTable<DownloadCase>;

TEST_P(FtpDownloadSize, ADownloadShortOfTheAnnouncedSizeFails)
{
    const DownloadCase &c = GetParam();
    m_server.onCommand = [&](const QByteArray &verb, const QByteArray &) {
        if (verb == "SIZE")
            m_server.reply(c.sizeReply);
        else if (verb == "RETR")
            m_server.sendData("hello world\n", "226 Transfer complete\r\n", c.preliminary);
        return verb == "SIZE" || verb == "RETR";
    };
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    EXPECT_EQ(m_connection.fileSize(QStringLiteral("a.bin")), c.fileSize);
    EXPECT_EQ(m_connection.getFile(QStringLiteral("a.bin"), m_local.filePath(QStringLiteral("a.bin"))), c.completes);
    if (!c.completes) {
        EXPECT_EQ(m_connection.error().kind(), FtpError::Kind::DownloadShort);
        EXPECT_EQ(m_connection.error().amount(), 12);
        EXPECT_EQ(m_connection.error().total(), 4096);
    }
    expectUsableOrGone();
}

INSTANTIATE_TEST_SUITE_P(Sizes, FtpDownloadSize, ::testing::ValuesIn(DownloadCases), labelOf<DownloadCase>);

struct ListedSizeCase {
    const char *label;
    qint64 listedSize; // what the listing said
    QByteArray sizeReply; // asked only when fewer bytes arrived than the listing said
    bool completes;
};

const ListedSizeCase ListedSizeCases[] = {
    { "listing_rounded_up", 4096, "213 12\r\n", true },
    { "listing_rounded_down", 4, "213 12\r\n", true },
    { "server_confirms_short", 4096, "213 4096\r\n", false },
    { "listing_matches", 12, "550 not asked\r\n", true },
};

using FtpListedSize = FtpHostileTable<ListedSizeCase>;

TEST_P(FtpListedSize, OnlyTheServersCountMakesADownloadShort)
{
    const ListedSizeCase &c = GetParam();
    m_server.onCommand = [&](const QByteArray &verb, const QByteArray &) {
        if (verb == "SIZE")
            m_server.reply(c.sizeReply);
        else if (verb == "RETR")
            m_server.sendData("hello world\n");
        return verb == "SIZE" || verb == "RETR";
    };
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    qint64 total = -1;
    m_connection.setProgressCallback([&](qint64, qint64 reported) { total = reported; });
    EXPECT_EQ(m_connection.getFile(QStringLiteral("a.bin"), m_local.filePath(QStringLiteral("a.bin")), c.listedSize),
        c.completes);
    // The caller's own size check sees the server's count, not the listing's.
    if (c.completes) {
        EXPECT_EQ(total, 12);
    }
    expectUsableOrGone();
}

INSTANTIATE_TEST_SUITE_P(Listed, FtpListedSize, ::testing::ValuesIn(ListedSizeCases), labelOf<ListedSizeCase>);

struct EndlessCase {
    const char *label;
    QByteArray chunk; // sent again and again
};

const EndlessCase EndlessCases[] = {
    { "entries", QByteArray("type=file;size=1; a\r\n").repeated(3000) },
    { "lines_that_are_no_entries", (QByteArray(1000, 'x') + "\r\n").repeated(64) },
    { "one_line_that_never_ends", QByteArray(64 * 1024, 'y') },
};

using FtpEndlessListing = FtpHostileTable<EndlessCase>;

TEST_P(FtpEndlessListing, StopsWithItsReason)
{
    m_server.onCommand = [this](const QByteArray &verb, const QByteArray &) {
        if (verb == "MLSD")
            m_server.sendEndlessData(GetParam().chunk);
        else if (verb == "ABOR")
            m_server.reply("426 Transfer aborted\r\n226 ABOR done\r\n");
        return verb == "MLSD" || verb == "ABOR";
    };
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    EXPECT_FALSE(m_connection.list().has_value());
    EXPECT_EQ(m_connection.error().kind(), FtpError::Kind::ListingTooLong)
        << describe(m_connection.error()).toStdString();
    expectUsableOrGone();
}

INSTANTIATE_TEST_SUITE_P(Bounds, FtpEndlessListing, ::testing::ValuesIn(EndlessCases), labelOf<EndlessCase>);

TEST_F(FtpHostileCaseTest, ListingThatEndsBeyondTheEntryBoundFails)
{
    // All of it arrives before the parser counts the entries: the end must not pass for success.
    m_server.onCommand = [this](const QByteArray &verb, const QByteArray &) {
        if (verb == "MLSD")
            m_server.sendData(QByteArray("type=file;size=1; a\r\n").repeated(ListingReader::MaxEntries + 1),
                "226 Transfer complete\r\n");
        return verb == "MLSD";
    };
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    EXPECT_FALSE(m_connection.list().has_value());
    EXPECT_EQ(m_connection.error().kind(), FtpError::Kind::ListingTooLong);
}

TEST_F(FtpHostileCaseTest, UploadTheServerStoppedReadingIsNotComplete)
{
    // Read 256 KiB, reset the data connection, 226: more than the socket buffers can hold is
    // still on our side when the server gives up.
    m_server.receiveLimit = 256 * 1024;
    m_server.onCommand = [this](const QByteArray &verb, const QByteArray &) {
        if (verb != "STOR")
            return false;
        m_server.receiveData();
        return true;
    };
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    ASSERT_TRUE(m_connection.openFileForWriting(QStringLiteral("up.bin"), FtpConnection::TransferType::Binary));
    bool complete = true;
    for (int i = 0; complete && i < 48; ++i)
        complete = m_connection.writeFile(QByteArray(256 * 1024, 'u'));
    complete = complete && m_connection.closeFile();
    EXPECT_FALSE(complete);
    EXPECT_TRUE(m_connection.error().isError());
    EXPECT_FALSE(m_connection.isBusy());
    expectUsableOrGone();
}

struct AbortCase {
    const char *label;
    QByteArray replies; // to ABOR, after the data connection was cut
    bool serverCloses;
    bool usable;
};

const AbortCase AbortCases[] = {
    { "aborted_then_abor_done", "426 Transfer aborted\r\n226 ABOR done\r\n", false, true },
    { "no_transfer_to_abort", "426 Failure reading network stream\r\n225 No transfer to ABOR\r\n", false, true },
    // vsftpd after a cut TLS transfer
    { "oops_then_gone", "500 OOPS: SSL_read\r\n", true, false },
    { "closing_421", "426 Transfer aborted\r\n421 Service closing\r\n", false, false },
    // pure-ftpd, now and then
    { "silently_gone", "", true, false },
};

using FtpAbortedUpload = FtpHostileTable<AbortCase>;

TEST_P(FtpAbortedUpload, LeavesTheConnectionUsableOrCleanlyGone)
{
    const AbortCase &c = GetParam();
    m_server.onCommand = [&](const QByteArray &verb, const QByteArray &) {
        if (verb == "STOR") {
            m_server.receiveData("");
        } else if (verb == "ABOR") {
            m_server.reply(c.replies);
            if (c.serverCloses)
                m_server.disconnectClient();
        }
        return verb == "STOR" || verb == "ABOR";
    };
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    ASSERT_TRUE(m_connection.openFileForWriting(QStringLiteral("up.bin"), FtpConnection::TransferType::Binary));
    ASSERT_TRUE(m_connection.writeFile(QByteArray(64 * 1024, 'u')));
    EXPECT_EQ(m_connection.abortFile(), c.usable);
    EXPECT_EQ(m_connection.isConnected(), c.usable);
    EXPECT_FALSE(m_connection.isBusy());
    expectUsableOrGone();
}

INSTANTIATE_TEST_SUITE_P(Servers, FtpAbortedUpload, ::testing::ValuesIn(AbortCases), labelOf<AbortCase>);

struct AuthCase {
    const char *label;
    QByteArray reply; // to AUTH TLS, in one write
};

const AuthCase AuthCases[] = {
    { "partial_line_after_234", "234 Proceed\r\n500 junk" },
    { "partial_code_after_234", "234 Proceed\r\n5" },
};

using FtpClearTextAfterAuth = FtpHostileTable<AuthCase>;

// RFC 4217, 4: after the 234 every byte is TLS; clear text that came with it must not become part
// of, or stand in for, the first encrypted reply.
TEST_P(FtpClearTextAfterAuth, IsDiscarded)
{
    m_server.onCommand = [this](const QByteArray &verb, const QByteArray &) {
        if (verb == "AUTH")
            m_server.replyAndStartTls(GetParam().reply);
        else if (verb == "PBSZ" || verb == "PROT")
            m_server.reply("200 OK\r\n");
        return verb == "AUTH" || verb == "PBSZ" || verb == "PROT";
    };
    auto trust = std::make_shared<CertificateTrust>();
    trust->setAsker([](const QString &) { return true; });
    m_connection.setCertificateTrust(trust);
    m_connection.setSecurity(FtpSecurity::RequireTls);
    ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    EXPECT_TRUE(m_connection.isEncrypted());
    EXPECT_EQ(m_connection.currentDirectory(), QStringLiteral("/"));
}

INSTANTIATE_TEST_SUITE_P(Tls, FtpClearTextAfterAuth, ::testing::ValuesIn(AuthCases), labelOf<AuthCase>);

} // namespace
