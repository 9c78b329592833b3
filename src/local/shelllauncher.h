#pragma once
// The desktop's shell services through GIO: default applications, application lists and
// launching a program with a file. GIO headers stay out of this header so Qt code can include it.

#include <QList>
#include <QString>

// An installed application as the open-with dialog lists it.
struct ShellApplication {
    QString id; // desktop file id ("org.gnome.gedit.desktop"); empty for a program file
    QString name; // display name
    QString executable; // the program the application runs
    QString iconName; // theme icon name, may be empty
};

// The program of the default application for the file's content type, or empty when there is
// none or the file is itself that program.
QString FindAssociatedProgram(const QString &path);

// The applications registered for the file's content type (the default first), and all
// applications that should be shown in menus, ordered by name.
QList<ShellApplication> applicationsForFile(const QString &path);
QList<ShellApplication> allApplications();

// Starts the application with id with the file as one argument; false when it cannot start.
bool launchApplication(const QString &applicationId, const QString &filePath);
// Starts path with the default application of its content type; false when there is none or
// it did not start.
bool launchDefaultApplication(const QString &path);
// Starts a program file with the file as one argument (no shell, so blanks stay in the name).
bool launchProgram(const QString &program, const QString &filePath);
