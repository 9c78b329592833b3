// Installs the build into a temporary DESTDIR, as a package build does, and runs the installed
// program through its link in bin.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_root = std::make_unique<QTemporaryDir>();
        QProcess install;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), s_root->path());
        install.setProcessEnvironment(environment);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(FERROLINK_CMAKE),
            { QStringLiteral("--install"), QStringLiteral(FERROLINK_BUILD_DIR), QStringLiteral("--prefix"),
                QStringLiteral("/usr") });
        s_installed = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit
            && install.exitCode() == 0;
        s_installLog = QString::fromLocal8Bit(install.readAll());
    }
    static void TearDownTestSuite() { s_root.reset(); }

    void SetUp() override { ASSERT_TRUE(s_installed) << s_installLog.toStdString(); }

    static QString installed(const QString &path) { return s_root->path() + QStringLiteral("/usr/") + path; }

    struct Run {
        bool finished = false;
        int exitCode = -1;
        QString output;
    };

    // Starts the program offscreen the way the snapshot script does and collects its captions.
    static Run snapshot(const QString &program, const QString &picture)
    {
        QTemporaryDir home;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("FERROLINK_SNAPSHOT"), picture);
        environment.remove(QStringLiteral("FERROLINK_SNAPSHOT_SERVER"));
        process.setProcessEnvironment(environment);
        process.start(program, {});
        Run run;
        run.finished = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
        run.exitCode = process.exitCode();
        run.output = QString::fromUtf8(process.readAllStandardOutput());
        return run;
    }

    static inline std::unique_ptr<QTemporaryDir> s_root;
    static inline bool s_installed = false;
    static inline QString s_installLog;
};

TEST_F(InstallTest, LaysOutProgramDataIconAndDesktopFile)
{
    const char *files[] = {
        "lib/ferrolink/ferrolink",
        "lib/ferrolink/lang.db",
        "lib/ferrolink/ascii.dat",
        "lib/ferrolink/index.html",
        "lib/ferrolink/Dateien/la.rtf",
        "share/icons/hicolor/scalable/apps/ferrolink.svg",
        "share/applications/ferrolink.desktop",
        "share/metainfo/org.example.ferrolink.metainfo.xml",
    };
    for (const char *file : files)
        EXPECT_TRUE(QFileInfo(installed(QLatin1String(file))).isFile()) << file;
    EXPECT_TRUE(QFileInfo(installed(QStringLiteral("lib/ferrolink/ferrolink"))).isExecutable());

    // A relative link, so the tree works wherever it is unpacked.
    const QString link = installed(QStringLiteral("bin/ferrolink"));
    ASSERT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(std::filesystem::read_symlink(link.toStdString()), "../lib/ferrolink/ferrolink");
}

TEST_F(InstallTest, DesktopFilePassesValidation)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate is missing: run scripts/install-deps";
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator, { installed(QStringLiteral("share/applications/ferrolink.desktop")) });
    ASSERT_TRUE(process.waitForFinished(60000));
    // The validator prints hints and errors alike; a clean file gives no output at all.
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAll().trimmed().isEmpty());
}

// What the package's trigger runs: the desktop's handler cache then names the program for links.
TEST_F(InstallTest, DesktopFileHandlesFtpLinks)
{
    const QString folder = installed(QStringLiteral("share/applications"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("update-desktop-database"), { folder }), 0);
    QFile cache(folder + QStringLiteral("/mimeinfo.cache"));
    ASSERT_TRUE(cache.open(QIODevice::ReadOnly));
    const QString handlers = QString::fromUtf8(cache.readAll());
    for (const char *scheme : { "ftp", "ftps", "ftpes" })
        EXPECT_TRUE(handlers.contains(QStringLiteral("x-scheme-handler/%1=ferrolink.desktop;").arg(QLatin1String(scheme))))
            << scheme << " in " << handlers.toStdString();
}

TEST_F(InstallTest, MetainfoPassesValidation)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    ASSERT_FALSE(validator.isEmpty()) << "appstreamcli is missing: run scripts/install-deps";
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator,
        { QStringLiteral("validate"), QStringLiteral("--no-net"),
            installed(QStringLiteral("share/metainfo/org.example.ferrolink.metainfo.xml")) });
    ASSERT_TRUE(process.waitForFinished(60000));
    // Warnings fail the validation as well.
    EXPECT_EQ(process.exitCode(), 0) << process.readAll().toStdString();
}

// A terminal without a display gets the version all the same.
TEST_F(InstallTest, VersionOptionPrintsTheVersionWithoutADisplay)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QLatin1String(name));
    process.setProcessEnvironment(environment);
    process.start(installed(QStringLiteral("bin/ferrolink")), { QStringLiteral("--version") });
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), QStringLiteral("Ferrolink " FERROLINK_VERSION "\n"));
}

TEST_F(InstallTest, InstalledProgramFindsItsCatalogueBesideTheRealExecutable)
{
    const QString picture = s_root->path() + QStringLiteral("/window.png");
    const Run run = snapshot(installed(QStringLiteral("bin/ferrolink")), picture);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("Ferrolink"))) << run.output.toStdString();
    EXPECT_FALSE(run.output.contains(QStringLiteral("########"))) << run.output.toStdString();
    EXPECT_GT(QFileInfo(picture).size(), 0);
}

TEST_F(InstallTest, DebianPackageNamesWhatTheProgramNeeds)
{
    QTemporaryDir output;
    QProcess cpack;
    cpack.setProcessChannelMode(QProcess::MergedChannels);
    cpack.start(QStringLiteral(FERROLINK_CPACK),
        { QStringLiteral("--config"), QStringLiteral(FERROLINK_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-G"),
            QStringLiteral("DEB"), QStringLiteral("-B"), output.path() });
    ASSERT_TRUE(cpack.waitForFinished(300000));
    ASSERT_EQ(cpack.exitCode(), 0) << cpack.readAll().toStdString();
    const QStringList packages = QDir(output.path()).entryList({ QStringLiteral("ferrolink_*.deb") });
    ASSERT_EQ(packages.size(), 1);

    QProcess fields;
    fields.start(QStringLiteral("dpkg-deb"),
        { QStringLiteral("--field"), output.filePath(packages.first()), QStringLiteral("Depends") });
    ASSERT_TRUE(fields.waitForFinished(60000));
    const QString depends = QString::fromUtf8(fields.readAllStandardOutput());
    // The linked libraries come from dpkg-shlibdeps, the plugins and data the program loads from us.
    for (const char *package : { "libqt6widgets6", "libqt6network6", "libsqlcipher0", "libglib2.0-0", "libqt6svg6",
             "shared-mime-info" })
        EXPECT_TRUE(depends.contains(QLatin1String(package))) << package << " missing in " << depends.toStdString();

    QProcess contents;
    contents.start(QStringLiteral("dpkg-deb"), { QStringLiteral("--contents"), output.filePath(packages.first()) });
    ASSERT_TRUE(contents.waitForFinished(60000));
    const QString files = QString::fromUtf8(contents.readAllStandardOutput());
    EXPECT_TRUE(files.contains(QStringLiteral("./usr/bin/ferrolink -> ../lib/ferrolink/ferrolink")));
    EXPECT_TRUE(files.contains(QStringLiteral("./usr/lib/ferrolink/lang.db")));

    QProcess triggers;
    triggers.start(QStringLiteral("dpkg-deb"), { QStringLiteral("--info"), output.filePath(packages.first()), QStringLiteral("triggers") });
    ASSERT_TRUE(triggers.waitForFinished(60000));
    EXPECT_TRUE(triggers.readAllStandardOutput().contains("activate-noawait /usr/share/applications"));
}

TEST_F(InstallTest, ProgramWithoutItsFilesShowsThePlaceholder)
{
    // The check above would catch a lost catalogue: a bare copy of the program shows the
    // placeholder in its captions.
    const QString bare = s_root->path() + QStringLiteral("/bare/ferrolink");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(bare).path()));
    ASSERT_TRUE(QFile::copy(installed(QStringLiteral("lib/ferrolink/ferrolink")), bare));
    const Run run = snapshot(bare, s_root->path() + QStringLiteral("/bare/window.png"));
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.output.contains(QStringLiteral("########"))) << run.output.toStdString();
}

} // namespace
