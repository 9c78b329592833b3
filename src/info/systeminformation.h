#pragma once
// The desktop's system information program, found by its desktop entry or by its executable.
// GIO headers stay out of this header so Qt code can include it.

#include <QString>
#include <QStringList>

#include <optional>

struct SystemInformationTool {
    QString desktopId; // set when the tool was found by its desktop entry
    QString program; // otherwise the executable's full path
};

// The desktop entries of the usual system information programs, in the order they are tried.
QStringList systemInformationDesktopIds();
// The usual executables, tried when no desktop entry is installed.
QStringList systemInformationPrograms();

// The first of desktopIds that is installed, else the first of programs on the PATH.
std::optional<SystemInformationTool> FindSystemInformationTool(
    const QStringList &desktopIds = systemInformationDesktopIds(),
    const QStringList &programs = systemInformationPrograms());

// Starts the tool in a window of its own; false when it did not start.
bool StartSystemInformationTool(const SystemInformationTool &tool);
