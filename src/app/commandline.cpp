#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

CommandLine CommandLine::parse(const QStringList &arguments)
{
    // Fixed English texts: the catalogue opens only once the user has picked a language, which
    // a terminal that asks for help must not wait for.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Two-pane FTP client."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("link"),
        QStringLiteral("An ftp://, ftpes:// or ftps:// link to connect to: "
                       "[user[:password]@]host[:port][/folder/ or /folder/file]."),
        QStringLiteral("[link]"));

    CommandLine line;
    if (!parser.parse(arguments)) {
        line.action = Action::Fail;
        line.output = parser.errorText();
    } else if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Qt's own list of its window-system options is private to the parser; the program's
        // options are what --help-all users look for as well.
        line.action = Action::ShowHelp;
        line.output = parser.helpText();
    } else if (parser.isSet(version)) {
        line.action = Action::ShowVersion;
        line.output = QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n';
    } else if (parser.positionalArguments().size() > 1) {
        line.action = Action::Fail;
        line.output = QStringLiteral("Only one link can be opened at a time.");
    } else if (!parser.positionalArguments().isEmpty()) {
        line.link = parser.positionalArguments().constFirst();
    }
    if (line.action == Action::Fail)
        line.output = QCoreApplication::applicationName() + QStringLiteral(": ") + line.output + u'\n';
    return line;
}
