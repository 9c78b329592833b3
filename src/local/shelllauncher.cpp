// GIO before Qt: GIO's headers use "signals" as a name, which Qt defines as a macro.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "local/shelllauncher.h"

#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <memory>

namespace {

struct GObjectDeleter {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

struct GFreeDeleter {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<gchar, GFreeDeleter>;

QByteArray localPath(const QString &path)
{
    return QFile::encodeName(path);
}

// The content type from the file's data and name; from the name alone when it cannot be read
// (a file that does not exist yet still has a type by its extension).
GCharPtr contentTypeOf(const QString &path)
{
    GObjectPtr<GFile> file(g_file_new_for_path(localPath(path).constData()));
    GObjectPtr<GFileInfo> info(g_file_query_info(
        file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (info) {
        if (const char *type = g_file_info_get_content_type(info.get()))
            return GCharPtr(g_strdup(type));
    }
    return GCharPtr(g_content_type_guess(localPath(path).constData(), nullptr, 0, nullptr));
}

// The program an application runs, as a full path where PATH finds it. Taken from the parsed
// command line: GIO's own executable is the Exec line cut at the first blank, which breaks a
// quoted "/opt/My App/run".
QString programOf(GAppInfo *app)
{
    const char *commandLine = g_app_info_get_commandline(app);
    gchar **argv = nullptr;
    if (!commandLine || !g_shell_parse_argv(commandLine, nullptr, &argv, nullptr))
        return {};
    GCharPtr found(g_find_program_in_path(argv[0]));
    const QString program = QFile::decodeName(found ? found.get() : argv[0]);
    g_strfreev(argv);
    return program;
}

ShellApplication describe(GAppInfo *app)
{
    ShellApplication result;
    result.id = QString::fromUtf8(g_app_info_get_id(app));
    result.name = QString::fromUtf8(g_app_info_get_display_name(app));
    result.executable = programOf(app);
    if (GIcon *icon = g_app_info_get_icon(app)) {
        GCharPtr iconName(g_icon_to_string(icon));
        result.iconName = QString::fromUtf8(iconName.get());
    }
    return result;
}

QList<ShellApplication> describeAll(GList *apps, bool shownOnly)
{
    QList<ShellApplication> result;
    for (GList *node = apps; node; node = node->next) {
        auto *app = static_cast<GAppInfo *>(node->data);
        if (!shownOnly || g_app_info_should_show(app))
            result.append(describe(app));
    }
    g_list_free_full(apps, g_object_unref);
    return result;
}

bool launch(GAppInfo *app, const QString &filePath)
{
    GObjectPtr<GFile> file(g_file_new_for_path(localPath(filePath).constData()));
    GList files = { file.get(), nullptr, nullptr };
    GError *error = nullptr;
    const bool started = g_app_info_launch(app, &files, nullptr, &error);
    if (error)
        g_error_free(error);
    return started;
}

} // namespace

QString FindAssociatedProgram(const QString &path)
{
    GCharPtr type = contentTypeOf(path);
    if (!type)
        return {};
    GObjectPtr<GAppInfo> app(g_app_info_get_default_for_type(type.get(), FALSE));
    if (!app)
        return {};
    const QString program = programOf(app.get());
    // A program file is not opened by itself: that would run it instead of opening it.
    if (QFileInfo(program).canonicalFilePath() == QFileInfo(path).canonicalFilePath()
        && !QFileInfo(path).canonicalFilePath().isEmpty())
        return {};
    return program;
}

QList<ShellApplication> applicationsForFile(const QString &path)
{
    GCharPtr type = contentTypeOf(path);
    if (!type)
        return {};
    return describeAll(g_app_info_get_all_for_type(type.get()), false);
}

QList<ShellApplication> allApplications()
{
    QList<ShellApplication> apps = describeAll(g_app_info_get_all(), true);
    std::sort(apps.begin(), apps.end(), [](const ShellApplication &a, const ShellApplication &b) {
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    return apps;
}

bool launchApplication(const QString &applicationId, const QString &filePath)
{
    GObjectPtr<GDesktopAppInfo> app(g_desktop_app_info_new(applicationId.toUtf8().constData()));
    return app && launch(G_APP_INFO(app.get()), filePath);
}

bool launchDefaultApplication(const QString &path)
{
    GCharPtr type = contentTypeOf(path);
    if (!type)
        return false;
    GObjectPtr<GAppInfo> app(g_app_info_get_default_for_type(type.get(), FALSE));
    return app && launch(app.get(), path);
}

bool launchProgram(const QString &program, const QString &filePath)
{
    // An argument list, not a command line: no shell parses the name, so blanks and quotes in it
    // reach the program unchanged.
    return QProcess::startDetached(program, { filePath });
}
