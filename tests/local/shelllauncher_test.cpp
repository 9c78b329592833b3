#include "local/shelllauncher.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A private desktop: one application, "Ferrolink Test Recorder", that appends its argument to a
// file, and the default for plain text and shell scripts. GIO reads the XDG folders once, so
// they are set before its first use and kept for the whole run.
class PrivateDesktop
{
public:
    static PrivateDesktop &instance()
    {
        static PrivateDesktop desktop;
        return desktop;
    }

    QString root() const { return m_dir.path(); }
    QString recorder() const { return m_dir.path() + QStringLiteral("/my bin/record.sh"); }
    QString recordFile() const { return m_dir.path() + QStringLiteral("/launched.txt"); }
    static QString applicationId() { return QStringLiteral("ferrolink-test-recorder.desktop"); }

    // Waits for the recorder to have written line; the launch runs in another process.
    bool waitForLaunch(const QString &line) const
    {
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QFile file(recordFile());
            if (file.open(QIODevice::ReadOnly)
                && QString::fromUtf8(file.readAll()).split(u'\n').contains(line))
                return true;
            QThread::msleep(20);
        }
        return false;
    }

private:
    PrivateDesktop()
    {
        QDir().mkpath(root() + QStringLiteral("/data/applications"));
        QDir().mkpath(root() + QStringLiteral("/config"));
        QDir().mkpath(root() + QStringLiteral("/my bin"));
        write(recorder(), "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + recordFile().toUtf8() + "'\n");
        QFile::setPermissions(recorder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(root() + QStringLiteral("/data/applications/") + applicationId(),
              "[Desktop Entry]\nType=Application\nName=Ferrolink Test Recorder\nExec=\"" + recorder().toUtf8()
                  + "\" %f\nMimeType=text/plain;application/x-shellscript;\n");
        // GIO learns which applications handle a type from mimeinfo.cache, not from the
        // MimeType lines themselves.
        write(root() + QStringLiteral("/data/applications/mimeinfo.cache"),
              "[MIME Cache]\ntext/plain=" + applicationId().toUtf8() + ";\napplication/x-shellscript="
                  + applicationId().toUtf8() + ";\n");
        write(root() + QStringLiteral("/config/mimeapps.list"),
              "[Default Applications]\ntext/plain=" + applicationId().toUtf8()
                  + "\napplication/x-shellscript=" + applicationId().toUtf8() + "\n");
        ::setenv("XDG_DATA_HOME", QFile::encodeName(root() + QStringLiteral("/data")).constData(), 1);
        ::setenv("XDG_CONFIG_HOME", QFile::encodeName(root() + QStringLiteral("/config")).constData(), 1);
    }

    static void write(const QString &path, const QByteArray &data)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(data);
    }

    QTemporaryDir m_dir;
};

class ShellLauncherTest : public ::testing::Test
{
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
    EXPECT_EQ(FindAssociatedProgram(makeFile(QStringLiteral("notes with blanks.txt"), "plain text\n")),
              desktop.recorder());
    // A name that does not exist yet is typed by its extension.
    EXPECT_EQ(FindAssociatedProgram(m_files.path() + QStringLiteral("/later.txt")), desktop.recorder());
    EXPECT_TRUE(FindAssociatedProgram(makeFile(QStringLiteral("data.ferrolinkunknown"), QByteArray("\x00\x01\x02\xff", 4)))
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
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const ShellApplication &app) {
        return app.id == PrivateDesktop::applicationId();
    }));
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
