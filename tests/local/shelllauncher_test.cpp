#include "local/privatedesktop.h"
#include "local/shelllauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ShellLauncherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_files.isValid());
        PrivateDesktop::instance();
    }

    QString makeFile(const QString &name, const QByteArray &data)
    {
        const QString path = m_files.path() + u'/' + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }

    QTemporaryDir m_files;
};

TEST_F(ShellLauncherTest, FindsTheDefaultApplicationsProgramOrNothing)
{
    const PrivateDesktop &desktop = PrivateDesktop::instance();
    EXPECT_EQ(
        FindAssociatedProgram(makeFile(QStringLiteral("notes with blanks.txt"), "plain text\n")), desktop.recorder());
    // A name that does not exist yet is typed by its extension.
    EXPECT_EQ(FindAssociatedProgram(m_files.path() + QStringLiteral("/later.txt")), desktop.recorder());
    EXPECT_TRUE(
        FindAssociatedProgram(makeFile(QStringLiteral("data.ferrolinkunknown"), QByteArray("\x00\x01\x02\xff", 4)))
            .isEmpty());
    // The recorder is a shell script whose default application is the recorder itself: a program
    // is never its own opener.
    EXPECT_TRUE(FindAssociatedProgram(desktop.recorder()).isEmpty());
}

TEST_F(ShellLauncherTest, ListsTheApplicationsForTheTypeAndAll)
{
    const QString file = makeFile(QStringLiteral("a.txt"), "text\n");
    const QList<ShellApplication> forType = applicationsForFile(file);
    ASSERT_FALSE(forType.isEmpty());
    EXPECT_EQ(forType.first().id, PrivateDesktop::applicationId());
    EXPECT_EQ(forType.first().name, QStringLiteral("Ferrolink Test Recorder"));

    const QList<ShellApplication> all = allApplications();
    EXPECT_TRUE(std::any_of(
        all.begin(), all.end(), [](const ShellApplication &app) { return app.id == PrivateDesktop::applicationId(); }));
}

// Every way of launching hands the file over as one argument, blanks and quotes included.
TEST_F(ShellLauncherTest, LaunchesWithTheFileAsOneArgument)
{
    const PrivateDesktop &desktop = PrivateDesktop::instance();
    const QString byDefault = makeFile(QStringLiteral("default with blanks.txt"), "a\n");
    const QString byId = makeFile(QStringLiteral("chosen 'quoted' name.txt"), "b\n");
    const QString byProgram = makeFile(QStringLiteral("program  two  blanks.txt"), "c\n");

    ASSERT_TRUE(launchDefaultApplication(byDefault));
    ASSERT_TRUE(launchApplication(PrivateDesktop::applicationId(), byId));
    ASSERT_TRUE(launchProgram(desktop.recorder(), byProgram));

    EXPECT_TRUE(desktop.waitForLaunch(byDefault));
    EXPECT_TRUE(desktop.waitForLaunch(byId));
    EXPECT_TRUE(desktop.waitForLaunch(byProgram));
}

TEST_F(ShellLauncherTest, ReportsWhatCannotStart)
{
    const QString file = makeFile(QStringLiteral("x.ferrolinkunknown"), QByteArray("\x00\x01", 2));
    EXPECT_FALSE(launchDefaultApplication(file));
    EXPECT_FALSE(launchApplication(QStringLiteral("no-such-application.desktop"), file));
    EXPECT_FALSE(launchProgram(m_files.path() + QStringLiteral("/no such program"), file));
}

} // namespace
