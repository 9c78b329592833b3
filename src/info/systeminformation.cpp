// GIO before Qt: GIO's headers use "signals" as a name, which Qt defines as a macro.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "info/systeminformation.h"

#include <QProcess>
#include <QStandardPaths>

QStringList systemInformationDesktopIds()
{
    // HardInfo and KDE's info centre first: they are the system information tools proper. The
    // GNOME and Xfce entries open the desktop's own about pages, which name the hardware too;
    // GNOME has renamed its page twice.
    return { QStringLiteral("hardinfo2.desktop"), QStringLiteral("hardinfo.desktop"),
        QStringLiteral("org.kde.kinfocenter.desktop"), QStringLiteral("kinfocenter.desktop"),
        QStringLiteral("gnome-system-panel.desktop"), QStringLiteral("gnome-about-panel.desktop"),
        QStringLiteral("gnome-info-overview-panel.desktop"), QStringLiteral("lshw-gtk.desktop"),
        QStringLiteral("cpu-x.desktop"), QStringLiteral("sysinfo.desktop"), QStringLiteral("xfce4-about.desktop") };
}

QStringList systemInformationPrograms()
{
    return { QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
        QStringLiteral("lshw-gtk"), QStringLiteral("cpu-x"), QStringLiteral("sysinfo") };
}

std::optional<SystemInformationTool> FindSystemInformationTool(
    const QStringList &desktopIds, const QStringList &programs)
{
    for (const QString &id : desktopIds) {
        // GIO already refuses an entry whose TryExec program is missing.
        if (GDesktopAppInfo *app = g_desktop_app_info_new(id.toUtf8().constData())) {
            g_object_unref(app);
            return SystemInformationTool { id, {} };
        }
    }
    for (const QString &name : programs) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty())
            return SystemInformationTool { {}, program };
    }
    return std::nullopt;
}

bool StartSystemInformationTool(const SystemInformationTool &tool)
{
    if (tool.desktopId.isEmpty())
        return QProcess::startDetached(tool.program, {});
    GDesktopAppInfo *app = g_desktop_app_info_new(tool.desktopId.toUtf8().constData());
    if (!app)
        return false;
    GError *error = nullptr;
    const bool started = g_app_info_launch(G_APP_INFO(app), nullptr, nullptr, &error);
    if (error)
        g_error_free(error);
    g_object_unref(app);
    return started;
}
