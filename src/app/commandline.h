#pragma once
// The program's command line: --help, --version and the link to open.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action {
        Start, // open the window, and the link when there is one
        ShowHelp, // print output on stdout and end
        ShowVersion, // print output on stdout and end
        Fail, // print output on stderr and end with exit code 1
    };

    Action action = Action::Start;
    QString output;
    QString link; // as given; the window checks it once the user can be told in their language

    // arguments as QCoreApplication::arguments() gives them, the program first. Needs the
    // application's name and version set.
    static CommandLine parse(const QStringList &arguments);
};
