// local_tree [N]
// The local pane's tree and delete under load, offscreen, with a repeating 1 ms timer whose
// longest gap between two ticks is the longest stall of the window:
// - opening a folder whose subfolder has N subfolders (default 10,000), and then opening that
//   subfolder, each until the tree knows one level beyond what is open;
// - 40 arrow-key moves down the tree over folders of 500 files, until the list shows the last;
// - deleting a selection of 2,000 files, question answered Yes.
#include "core/appservices.h"
#include "app/historywindow.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "local/localfoldertree.h"
#include "local/localpane.h"
#include "session/session.h"
#include "widgets/progressbar.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

constexpr int arrowFolders = 40;
constexpr int filesPerArrowFolder = 500;
constexpr int deletedFiles = 2000;
// Upper bound for work that finishes after the call that started it.
constexpr qint64 settleLimitMs = 60000;

int fail(const QString &reason)
{
    QTextStream(stderr) << "local_tree: " << reason << Qt::endl;
    return 1;
}

class YesPrompts : public Prompts {
public:
    void message(const QString &, Icon, const QString &) override { }
    bool askYesNo(const QString &) override { return true; }
    std::optional<QString> input(const QString &, const QString &, std::optional<QPoint>) override
    {
        return std::nullopt;
    }
    std::optional<QString> inputPassword(const QString &) override { return std::nullopt; }
    bool askTrustCertificate(const QString &) override { return false; }
};

// Runs work, then lets events run until done() holds; returns the seconds taken and keeps the
// longest gap between two ticks of a 1 ms timer in longestGapMs.
double measure(const std::function<void()> &work, const std::function<bool()> &done, double &longestGapMs,
    double *workSeconds = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 longest = 0;
    const auto tick = [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
    };
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, tick);
    timer.start();
    work();
    if (workSeconds)
        *workSeconds = clock.nsecsElapsed() / 1e9;
    while (!done() && clock.elapsed() < settleLimitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    tick();
    longestGapMs = longest / 1e6;
    return clock.nsecsElapsed() / 1e9;
}

bool allChildrenRead(const QTreeWidgetItem *node)
{
    for (int i = 0; node && i < node->childCount(); ++i) {
        if (!LocalFolderTree::isRead(node->child(i)))
            return false;
    }
    return node != nullptr;
}

bool makeFiles(const QString &folder, int count)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/file%1.txt").arg(i));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

void report(const char *what, double seconds, double stallMs, double openSeconds = -1)
{
    QTextStream(stdout) << QStringLiteral("local_tree: %1 in %2 s%3, longest stall %4 ms")
                               .arg(QLatin1String(what))
                               .arg(seconds, 0, 'f', 3)
                               .arg(openSeconds < 0
                                       ? QString()
                                       : QStringLiteral(" (open and shown after %1 s)").arg(openSeconds, 0, 'f', 3))
                               .arg(stallMs, 0, 'f', 1)
                        << Qt::endl;
}

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (count <= 0)
        return fail(QStringLiteral("N must be a positive number"));
    if (TextCatalogue::instance().open(TextCatalogue::defaultPath()))
        TextCatalogue::instance().setLanguageTable(QStringLiteral("english"));

    QTemporaryDir dir;
    if (!dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    const QString root = dir.path() + u'/';
    const QString wide = root + QStringLiteral("tree/wide/");
    for (int i = 0; i < count; ++i) {
        // Every tenth folder has a folder of its own, so the tree has expand marks to find.
        const QString sub = wide + QStringLiteral("f%1").arg(i, 5, 10, QLatin1Char('0'));
        if (!QDir().mkpath(i % 10 == 0 ? sub + QStringLiteral("/inner") : sub))
            return fail(QStringLiteral("cannot create ") + sub);
    }
    const QString arrows = root + QStringLiteral("arrows/");
    for (int i = 0; i < arrowFolders; ++i) {
        if (!makeFiles(arrows + QStringLiteral("d%1").arg(i, 2, 10, QLatin1Char('0')), filesPerArrowFolder))
            return fail(QStringLiteral("cannot fill ") + arrows);
    }
    const QString doomed = root + QStringLiteral("doomed/");
    if (!makeFiles(doomed, deletedFiles))
        return fail(QStringLiteral("cannot fill ") + doomed);

    Session session;
    HistoryWindow history;
    YesPrompts prompts;
    ProgressBar progress;
    const AppServices services { session, history, prompts, progress };
    LocalPane pane(services);
    pane.resize(700, 900);
    pane.show();
    history.show();
    auto *tree = pane.findChild<LocalFolderTree *>(QStringLiteral("trwPaths"));
    auto *list = pane.findChild<QTreeView *>(QStringLiteral("lsvDirFileReport"));
    if (!tree || !list)
        return fail(QStringLiteral("the pane has no tree or list"));
    if (!pane.selectFolder(root))
        return fail(QStringLiteral("cannot show ") + root);

    double stall = 0;
    double opened = 0;
    QTreeWidgetItem *treeNode = tree->node(root + QStringLiteral("tree/"));
    double seconds = measure([&] { treeNode->setExpanded(true); },
        [&] { return allChildrenRead(tree->node(root + QStringLiteral("tree/"))); }, stall, &opened);
    report(qPrintable(QStringLiteral("opening the parent of %1 folders").arg(count)), seconds, stall, opened);
    seconds = measure([&] { tree->node(wide)->setExpanded(true); }, [&] { return allChildrenRead(tree->node(wide)); },
        stall, &opened);
    report(qPrintable(QStringLiteral("opening a folder of %1 folders").arg(count)), seconds, stall, opened);

    if (!pane.selectFolder(arrows + QStringLiteral("d00")))
        return fail(QStringLiteral("cannot show ") + arrows);
    const QString last = arrows + QStringLiteral("d%1/").arg(arrowFolders - 1, 2, 10, QLatin1Char('0'));
    tree->setFocus();
    seconds = measure(
        [&] {
            for (int i = 1; i < arrowFolders; ++i) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
                QCoreApplication::sendEvent(tree, &press);
                QCoreApplication::processEvents();
            }
        },
        [&] { return pane.TreeNodePath() == last && list->model()->rowCount() == filesPerArrowFolder; }, stall);
    report(qPrintable(QStringLiteral("%1 arrow-key moves").arg(arrowFolders - 1)), seconds, stall);

    if (!pane.selectFolder(doomed))
        return fail(QStringLiteral("cannot show ") + doomed);
    list->selectAll();
    seconds = measure([&] { pane.deleteSelection(); }, [] { return true; }, stall);
    if (!QDir(doomed).isEmpty())
        return fail(QStringLiteral("the delete left files behind"));
    report(qPrintable(QStringLiteral("deleting %1 files").arg(deletedFiles)), seconds, stall);
    return 0;
}
