// describe() gives the words the log and the message boxes have always shown for each failure.
#include "session/ftperrortext.h"
#include "support/englishcatalogue.h"

#include <gtest/gtest.h>

namespace {

FtpReply replyOf(int code, const char *line)
{
    return FtpReply(code, { QString::fromLatin1(line) });
}

struct DescribeCase {
    const char *label;
    FtpError error;
    const char *text;
};

class FtpErrorTextTest : public ::testing::TestWithParam<DescribeCase> {
protected:
    void SetUp() override { ASSERT_TRUE(useEnglishCatalogue()); }
    void TearDown() override { TextCatalogue::instance().close(); }
};

TEST_P(FtpErrorTextTest, GivesTheCataloguesWords)
{
    EXPECT_EQ(describe(GetParam().error), QString::fromUtf8(GetParam().text));
}

using Kind = FtpError::Kind;

const DescribeCase DescribeCases[] = {
    { "none", FtpError(), "" },
    { "cancelled", FtpError(Kind::Cancelled), "Cancelled." },
    { "busy", FtpError(Kind::Busy), "Another command is still running on this connection." },
    { "timeout_whole_seconds", FtpError::timedOut(30000), "The server did not respond within 30 seconds." },
    { "timeout_fraction", FtpError::timedOut(2500), "The server did not respond within 2.5 seconds." },
    { "refused", FtpError(Kind::ConnectionRefused), "The server refused the connection." },
    { "tls_failed", FtpError(Kind::TlsFailed, QStringLiteral("handshake failure")),
        "The encrypted connection failed: handshake failure" },
    { "socket_words", FtpError(Kind::SocketFailed, QStringLiteral("Network unreachable")), "Network unreachable" },
    { "line_too_long", FtpError::unreadableReply(FtpReplyReader::Error::LineTooLong),
        "The server sent a line longer than 64 KiB." },
    { "reply_too_long", FtpError::unreadableReply(FtpReplyReader::Error::ReplyTooLong),
        "The server sent a reply longer than 1 MiB." },
    { "server_reply", FtpError::fromReply(replyOf(550, "550 No such file")), "550 No such file" },
    { "unexpected_reply", FtpError::unexpectedReply(QStringLiteral("PASV"), replyOf(227, "227 Passive (1,2)")),
        "Unexpected reply to PASV: 227 Passive (1,2)" },
    { "tls_not_offered", FtpError::fromReply(replyOf(500, "500 AUTH not understood"), Kind::TlsNotOffered),
        "The server offers no encrypted connection, which ftpes:// requires: 500 AUTH not understood" },
    { "upload_ended", FtpError::fromReply(replyOf(226, "226 Enough"), Kind::UploadEnded),
        "The server ended the upload early: 226 Enough" },
    { "unsafe_name", FtpError(Kind::UnsafeName, QStringLiteral("a\nb")),
        "The name contains a line break or NUL character: a\nb" },
    { "download_short", FtpError::downloadShort(12, 4096),
        "The data connection ended after 12 of the 4096 bytes the server announced." },
    { "data_peer", FtpError(Kind::DataPeerMismatch), "A data connection showed another certificate than the server." },
};

INSTANTIATE_TEST_SUITE_P(Kinds, FtpErrorTextTest, ::testing::ValuesIn(DescribeCases),
    [](const ::testing::TestParamInfo<DescribeCase> &info) { return std::string(info.param.label); });

TEST(FtpErrorTest, KeepsTheReplysCodeAndClass)
{
    const FtpError error = FtpError::fromReply(replyOf(452, "452 Disk full"));
    EXPECT_EQ(error.kind(), Kind::Reply);
    EXPECT_EQ(error.replyCode(), 452);
    EXPECT_EQ(error.replyClass(), FtpReply::ReplyClass::TransientError);
    EXPECT_EQ(FtpError(Kind::Cancelled).replyClass(), FtpReply::ReplyClass::Invalid);
}

} // namespace
