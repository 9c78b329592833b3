// The command line: help and version in English before any window, one link, and the errors.

#include "app/applicationsetup.h"
#include "app/commandline.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

using Action = CommandLine::Action;

struct Case {
    QStringList arguments; // after the program's name
    Action action;
    const char *output; // a part of what is printed
    const char *link;
};

const Case cases[] = {
    { {}, Action::Start, "", "" },
    { { QStringLiteral("ftp://ann@host/pub/") }, Action::Start, "", "ftp://ann@host/pub/" },
    // The window checks the link, where the reason can be told in the user's language.
    { { QStringLiteral("http://host/") }, Action::Start, "", "http://host/" },
    { { QStringLiteral("--help") }, Action::ShowHelp, "ftp://, ftpes:// or ftps://", "" },
    { { QStringLiteral("-h") }, Action::ShowHelp, "--version", "" },
    { { QStringLiteral("--help-all") }, Action::ShowHelp, "[link]", "" },
    { { QStringLiteral("--version") }, Action::ShowVersion, "Ferrolink " FERROLINK_VERSION "\n", "" },
    { { QStringLiteral("-v"), QStringLiteral("ftp://host/") }, Action::ShowVersion, FERROLINK_VERSION, "" },
    { { QStringLiteral("--bogus") }, Action::Fail, "Ferrolink: ", "" },
    { { QStringLiteral("ftp://a/"), QStringLiteral("ftp://b/") }, Action::Fail, "Only one link", "" },
};

class CommandLineTest : public ::testing::TestWithParam<Case> {
protected:
    static void SetUpTestSuite() { nameApplication(*QCoreApplication::instance()); }
};

TEST_P(CommandLineTest, AnswersWithItsActionAndText)
{
    const Case &c = GetParam();
    const CommandLine line = CommandLine::parse(QStringList { QStringLiteral("ferrolink") } + c.arguments);
    EXPECT_EQ(line.action, c.action);
    EXPECT_TRUE(line.output.contains(QString::fromUtf8(c.output))) << line.output.toStdString();
    EXPECT_EQ(line.link, QString::fromUtf8(c.link));
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineTest, ::testing::ValuesIn(cases));

} // namespace
