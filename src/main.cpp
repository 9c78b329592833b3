#include "app/applicationsetup.h"
#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/snapshot.h"
#include "app/startdialog.h"
#include "core/textcatalogue.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

// Prints what the command line asked for; the exit code.
int answer(const CommandLine &line)
{
    const QByteArray output = line.output.toLocal8Bit();
    const bool failed = line.action == CommandLine::Action::Fail;
    std::fputs(output.constData(), failed ? stderr : stdout);
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    {
        // Help and version are answered before the window system is asked for, so they work in
        // a terminal without a display. The window system's own options (-platform, -style) are
        // known only to QApplication, which removes them: anything else waits for it.
        QCoreApplication terminal(argc, argv);
        nameApplication(terminal);
        const CommandLine line = CommandLine::parse(terminal.arguments());
        if (line.action == CommandLine::Action::ShowHelp || line.action == CommandLine::Action::ShowVersion)
            return answer(line);
    }

    QApplication app(argc, argv);
    setUpApplication(app);
    const CommandLine line = CommandLine::parse(app.arguments());
    if (line.action != CommandLine::Action::Start)
        return answer(line);

    // A missing catalogue is no reason to stop: every text then shows the placeholder.
    TextCatalogue::instance().open(TextCatalogue::defaultPath());
    if (!(Snapshot::isRequested() ? Snapshot::chooseLanguage() : StartDialog::askLanguage()))
        return 0;

    MainWindow window;
    window.show();
    if (Snapshot::isRequested())
        return Snapshot::take(window);
    // From the event loop, so the window is on screen behind the password question and the
    // connect's lines.
    if (!line.link.isEmpty())
        QTimer::singleShot(0, &window, [&window, link = line.link] { window.openLink(link); });
    return app.exec();
}
