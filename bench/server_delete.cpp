// server_delete [--entries N]
// Makes a tree of N entries (default 2,000: 40 folders two levels deep, the rest empty files) in
// the test suite's pyftpdlib, deletes it with the delete engine into a real history window
// (offscreen) and prints the time, the entries and the log's lines; then once more into a log
// that only records, which shows what the window's log costs. The engine reconnects through the
// window's own connection controller.
#include "core/appservices.h"
#include "app/historywindow.h"
#include "core/textcatalogue.h"
#include "server/serverlisting.h"
#include "session/session.h"
#include "support/ftptestserver.h"
#include "support/recordinghistorylog.h"
#include "support/recordingprogress.h"
#include "support/scriptedprompts.h"
#include "support/testtransferhost.h"
#include "transfer/deleteengine.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTextStream>

namespace {

constexpr int topFolders = 4;
constexpr int foldersEach = 9;

int fail(const QString &reason)
{
    QTextStream(stderr) << "server_delete: " << reason << Qt::endl;
    return 1;
}

// entries - 40 empty files spread evenly over the 40 folders below tree/.
bool writeTree(const QString &root, int entries)
{
    QStringList folders;
    for (int i = 0; i < topFolders; ++i) {
        folders.append(QStringLiteral("tree/t%1").arg(i));
        for (int j = 0; j < foldersEach; ++j)
            folders.append(QStringLiteral("tree/t%1/s%2").arg(i).arg(j));
    }
    for (const QString &folder : folders) {
        if (!QDir().mkpath(root + u'/' + folder))
            return false;
    }
    const int files = entries - int(folders.size());
    for (int i = 0; i < files; ++i) {
        QFile file(root + u'/' + folders[i % folders.size()] + QStringLiteral("/file %1.txt").arg(i));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

// Deletes tree/ from the root and returns the seconds it took; -1 when it was not all deleted.
double deleteTree(FtpTestServer &server, HistoryLog &history, int entries)
{
    if (!writeTree(server.rootPath(), entries))
        return -1;
    Session session;
    ScriptedPrompts prompts;
    RecordingProgress progress;
    AppServices services { session, history, prompts, progress };
    TestTransferHost host(services, server);
    if (!host.ReconnectFtp())
        return -1;
    DeleteEngine engine(services, host);
    QElapsedTimer clock;
    clock.start();
    engine.DeleteSelection({ { QStringLiteral("tree"), true, -1 } });
    // Lines the window still holds back are part of the run's cost; reading the log puts them in.
    history.plainText();
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (QFileInfo::exists(server.rootPath() + QStringLiteral("/tree"))
        || int(engine.deleteList().size()) != entries + 1)
        return -1;
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int entries = 2000;
    const QStringList arguments = app.arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--entries")); at > 0)
        entries = arguments.value(at + 1).toInt();
    if (entries <= topFolders * (foldersEach + 1))
        return fail(QStringLiteral("--entries needs more than %1").arg(topFolders * (foldersEach + 1)));
    if (!TextCatalogue::instance().open(TextCatalogue::defaultPath()))
        return fail(QStringLiteral("no text catalogue"));
    TextCatalogue::instance().setLanguageTable(QStringLiteral("english"));

    FtpTestServer server;
    if (!server.start() || server.isExternal())
        return fail(QStringLiteral("the local test server did not start"));

    HistoryWindow window;
    window.resize(900, 200);
    window.show();
    const double windowSeconds = deleteTree(server, window, entries);
    if (windowSeconds < 0)
        return fail(QStringLiteral("the tree was not deleted"));
    const qsizetype windowLines = window.plainText().count(u'\n');

    RecordingHistoryLog recorder;
    const double recorderSeconds = deleteTree(server, recorder, entries);
    if (recorderSeconds < 0)
        return fail(QStringLiteral("the tree was not deleted"));

    QTextStream out(stdout);
    out << "deleted " << entries << " entries (+ the selected folder)\n"
        << "  into the history window: " << QString::number(windowSeconds, 'f', 2) << " s, " << windowLines
        << " log lines\n"
        << "  into a recording log:    " << QString::number(recorderSeconds, 'f', 2) << " s\n"
        << "server_delete: window " << QString::number(windowSeconds, 'f', 2) << " s, recording "
        << QString::number(recorderSeconds, 'f', 2) << " s, ratio " << QString::number(windowSeconds / recorderSeconds, 'f', 2)
        << '\n';
    return 0;
}
