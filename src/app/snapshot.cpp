#include "app/snapshot.h"

#include "app/mainwindow.h"
#include "app/startdialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QTextStream>

#include <functional>

namespace {

QString target()
{
    return qEnvironmentVariable("FERROLINK_SNAPSHOT");
}

// Lets the window work until done() holds or the time is up; a listing on a loaded machine
// may take a while, so the limit is generous.
void settle(const std::function<bool()> &done, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

void connectTo(MainWindow &window, const QString &server)
{
    const QStringList parts = server.split(u':');
    if (parts.size() != 4)
        return;
    const char *fields[] = { "txtAddress", "txtPort", "txtUserID", "txtPassword" };
    for (int i = 0; i < 4; ++i) {
        if (auto *field = window.findChild<QLineEdit *>(QLatin1String(fields[i])))
            field->setText(parts.at(i));
    }
    if (auto *connect = window.findChild<QAction *>(QStringLiteral("connect")))
        connect->trigger();
    const auto *list = window.findChild<QAbstractItemView *>(QStringLiteral("lsvServer"), Qt::FindChildrenRecursively);
    settle([list] { return list && list->model() && list->model()->rowCount() > 1; }, 20000);
}

// Downloads the server folder of that name into the local pane's folder with the strip's button,
// so that the picture shows a run's lines and its summary.
void download(MainWindow &window, const QString &folder)
{
    const auto *server = window.findChild<QWidget *>(QStringLiteral("lsvServer"));
    auto *list = server ? server->findChild<QAbstractItemView *>() : nullptr;
    const auto *strip = window.findChild<QWidget *>(QStringLiteral("frmUploadDownload"));
    auto *button = strip ? strip->findChild<QAction *>(QStringLiteral("del")) : nullptr;
    if (!list || !list->model() || !button)
        return;
    const QModelIndexList rows = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, folder, 1,
        Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (rows.isEmpty())
        return;
    list->selectionModel()->setCurrentIndex(rows.constFirst(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // The run blocks until it has ended.
    button->trigger();
}

QStringList captions(const MainWindow &window)
{
    QStringList texts { window.windowTitle() };
    for (const QLabel *label : window.findChildren<QLabel *>())
        texts << label->text();
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>())
        texts << button->text();
    for (const QGroupBox *frame : window.findChildren<QGroupBox *>())
        texts << frame->title();
    for (const QAction *action : window.findChildren<QAction *>())
        texts << action->text() << action->toolTip();
    for (const QHeaderView *header : window.findChildren<QHeaderView *>()) {
        if (!header->model())
            continue;
        for (int section = 0; section < header->count(); ++section)
            texts << header->model()->headerData(section, header->orientation()).toString();
    }
    texts.removeAll(QString());
    return texts;
}

} // namespace

bool Snapshot::isRequested()
{
    return !target().isEmpty();
}

bool Snapshot::chooseLanguage()
{
    StartDialog dialog;
    dialog.accept();
    return true;
}

int Snapshot::take(MainWindow &window)
{
    // A moment for the first paint and the local listing.
    settle([] { return false; }, 300);
    const QString server = qEnvironmentVariable("FERROLINK_SNAPSHOT_SERVER");
    if (!server.isEmpty())
        connectTo(window, server);
    const QString folder = qEnvironmentVariable("FERROLINK_SNAPSHOT_DOWNLOAD");
    if (!server.isEmpty() && !folder.isEmpty())
        download(window, folder);
    // And one for the columns and the log to settle after the listing.
    settle([] { return false; }, 300);
    QTextStream out(stdout);
    for (const QString &caption : captions(window))
        out << caption << '\n';
    return window.grab().save(target()) ? 0 : 1;
}
