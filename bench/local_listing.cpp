// local_listing [N]
// Lists a local folder of N empty files (default 100,000) of mixed extensions into a real local
// pane, offscreen, and times the request up to the painted list; then times `ls -l` on the same
// folder. The best of three rounds counts on both sides, so a cold cache does not decide.
#include "core/appservices.h"
#include "app/historywindow.h"
#include "core/textcatalogue.h"
#include "local/localpane.h"
#include "session/session.h"
#include "widgets/progressbar.h"
#include "widgets/widgetprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {

constexpr int rounds = 3;

int fail(const QString &reason)
{
    QTextStream(stderr) << "local_listing: " << reason << Qt::endl;
    return 1;
}

// A mix like a real download folder: a few kinds of files and now and then a program, whose
// files each get an icon of their own.
QString fileName(int i)
{
    static const char *const extensions[] = { "txt", "jpg", "tar.gz", "c", "pdf", "html", "png", "zip", "md", "cpp" };
    const char *extension = i % 200 == 1 ? "exe" : extensions[i % std::size(extensions)];
    return QStringLiteral("file%1.%2").arg(i, 6, 10, QLatin1Char('0')).arg(QLatin1String(extension));
}

double secondsOfLs(const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    QProcess ls;
    ls.setStandardOutputFile(QProcess::nullDevice());
    ls.start(QStringLiteral("ls"), { QStringLiteral("-l"), folder });
    if (!ls.waitForFinished(-1) || ls.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (count <= 0)
        return fail(QStringLiteral("N must be a positive number"));
    if (TextCatalogue::instance().open(TextCatalogue::defaultPath()))
        TextCatalogue::instance().setLanguageTable(QStringLiteral("english"));

    QTemporaryDir dir;
    if (!dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    for (int i = 0; i < count; ++i) {
        QFile file(dir.filePath(fileName(i)));
        if (!file.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot create ") + file.fileName());
    }

    Session session;
    HistoryWindow history;
    WidgetPrompts prompts;
    ProgressBar progress;
    const AppServices services { session, history, prompts, progress };
    LocalPane pane(services);
    pane.resize(700, 900);
    pane.show();

    double best = 1e9;
    double bestLs = 1e9;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        if (!pane.ViewFolder(dir.path()))
            return fail(QStringLiteral("the folder could not be listed"));
        pane.grab();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
        const double ls = secondsOfLs(dir.path());
        if (ls < 0)
            return fail(QStringLiteral("ls -l failed"));
        bestLs = std::min(bestLs, ls);
    }
    QTextStream(stdout) << QStringLiteral("local_listing: %1 entries in %2 s (ls -l %3 s, ratio %4)")
                               .arg(count)
                               .arg(best, 0, 'f', 3)
                               .arg(bestLs, 0, 'f', 3)
                               .arg(best / bestLs, 0, 'f', 2)
                        << Qt::endl;
    return 0;
}
