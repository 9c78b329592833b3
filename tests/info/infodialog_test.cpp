// The information dialog: its texts and document, and the system information program found on a
// private desktop (GIO and the PATH see only what the test sets up).
#include "info/infodialog.h"
#include "app/mainwindow.h"
#include "core/textcatalogue.h"
#include "info/systeminformation.h"
#include "support/englishcatalogue.h"
#include "support/scriptedprompts.h"
#include "widgets/rtfreader.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// One desktop entry and one program, neither of them among the usual tools, each writing its
// name into a file when started. GIO reads the XDG folders once, so they are set before its first
// use and kept for the whole run.
class PrivateDesktop {
public:
    static PrivateDesktop &instance()
    {
        static PrivateDesktop desktop;
        return desktop;
    }

    static QString desktopId() { return QStringLiteral("ferrolink-test-sysinfo.desktop"); }
    static QString programName() { return QStringLiteral("ferrolink-test-sysinfo"); }
    QString program() const { return m_dir.path() + QStringLiteral("/bin/") + programName(); }

    bool waitForStart(const QString &line) const
    {
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QFile file(m_dir.path() + QStringLiteral("/started.txt"));
            if (file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).split(u'\n').contains(line))
                return true;
            QThread::msleep(20);
        }
        return false;
    }

private:
    PrivateDesktop()
    {
        const QDir root(m_dir.path());
        for (const char *folder : { "data/applications", "shared", "config", "bin" })
            root.mkpath(QString::fromLatin1(folder));
        const QByteArray record = (m_dir.path() + QStringLiteral("/started.txt")).toUtf8();
        write(program(), "#!/bin/sh\necho \"${1:-program}\" >> '" + record + "'\n");
        QFile::setPermissions(program(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(root.filePath(QStringLiteral("data/applications/")) + desktopId(),
            "[Desktop Entry]\nType=Application\nName=Test System Information\nExec=\"" + program().toUtf8()
                + "\" entry\n");
        ::setenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("data"))).constData(), 1);
        ::setenv("XDG_DATA_DIRS", QFile::encodeName(root.filePath(QStringLiteral("shared"))).constData(), 1);
        ::setenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("config"))).constData(), 1);
        ::setenv(
            "PATH", QFile::encodeName(root.filePath(QStringLiteral("bin")) + QStringLiteral(":/bin")).constData(), 1);
    }

    static void write(const QString &path, const QByteArray &data)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(data);
    }

    QTemporaryDir m_dir;
};

class InfoDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrivateDesktop::instance();
        ASSERT_TRUE(useEnglishCatalogue());
    }

    ScriptedPrompts m_prompts;
};

TEST_F(InfoDialogTest, ShowsTheCatalogueTextsAndTheDocument)
{
    InfoDialog dialog(m_prompts);
    EXPECT_EQ(dialog.windowTitle(), text("INFO_CAPTION"));
    const struct {
        const char *label;
        const char *key;
    } labels[] = { { "lblAppName", "INFO_APPNAME" }, { "lblCopyright", "INFO_COPYRIGHT" }, { "lblMade", "INFO_MADE" },
        { "lblLegal", "INFO_LEGAL" } };
    for (const auto &l : labels) {
        const auto *label = dialog.findChild<QLabel *>(QLatin1String(l.label));
        ASSERT_NE(label, nullptr) << l.label;
        EXPECT_EQ(label->text(), text(l.key)) << l.label;
    }
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("cmdOk"))->text(), text("INFO_OK"));
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->text(), text("INFO_SYSINFO"));
    EXPECT_EQ(dialog.findChild<QTabWidget *>(QStringLiteral("tabstripInfo"))->currentIndex(), 0);

    // The shipped document, as the start dialog shows it.
    QTextEdit reference;
    ASSERT_TRUE(RtfReader::readFile(QStringLiteral(FERROLINK_RUNTIME_DIR "/Dateien/la.rtf"), reference.document()));
    const QString shown = dialog.findChild<QTextEdit *>(QStringLiteral("richtextboxInfo"))->toPlainText();
    EXPECT_FALSE(shown.trimmed().isEmpty());
    EXPECT_EQ(shown, reference.toPlainText());
}

// The main window's entry shows the dialog modally; its link goes to the main window's browser
// look-up, which finds none on this desktop.
TEST_F(InfoDialogTest, MenuEntryShowsTheDialogAndItsLinkAsksForTheBrowser)
{
    MainWindow window(m_prompts);
    window.show();
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            poll.stop();
            shown = dialog->objectName();
            emit dialog->findChild<QLabel *>(QStringLiteral("lblWeb"))->linkActivated(QStringLiteral("x"));
            dialog->findChild<QPushButton *>(QStringLiteral("cmdOk"))->click();
        }
    });
    poll.start(10);

    window.findChild<QAction *>(QStringLiteral("mnuInfoInfo"))->trigger();

    EXPECT_EQ(shown, u"frmInfo");
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked().constFirst().text, QStringLiteral("Could not find any web browser!"));
}

TEST_F(InfoDialogTest, WithoutASystemInformationProgramOnlySaysSo)
{
    EXPECT_FALSE(FindSystemInformationTool().has_value());
    InfoDialog dialog(m_prompts);

    dialog.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->click();

    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked().constFirst().text, InfoDialog::noSystemInformationText());
    EXPECT_EQ(m_prompts.asked().constFirst().icon, Prompts::Icon::None);
}

// The first installed entry wins, then the first program on the PATH; either one starts.
TEST_F(InfoDialogTest, FindsAndStartsTheFirstInstalledEntryThenAProgramOnThePath)
{
    const struct {
        QStringList desktopIds;
        QStringList programs;
        const char *started; // what the tool writes when it starts
    } cases[] = {
        { { QStringLiteral("missing.desktop"), PrivateDesktop::desktopId() }, { PrivateDesktop::programName() },
            "entry" },
        { { QStringLiteral("missing.desktop") }, { QStringLiteral("missing-tool"), PrivateDesktop::programName() },
            "program" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.started);
        const auto tool = FindSystemInformationTool(c.desktopIds, c.programs);
        ASSERT_TRUE(tool.has_value());
        ASSERT_TRUE(StartSystemInformationTool(*tool));
        EXPECT_TRUE(PrivateDesktop::instance().waitForStart(QLatin1String(c.started)));
    }
}

} // namespace
