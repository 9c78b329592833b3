#pragma once
// A private desktop for the tests that launch applications: GIO sees only what this sets up.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cstdlib>

// A private desktop: one application, "Ferrolink Test Recorder", that appends its argument to a
// file, and the default for plain text and shell scripts. GIO reads the XDG folders once, so
// they are set before its first use and kept for the whole run.
class PrivateDesktop {
public:
    static PrivateDesktop &instance()
    {
        static PrivateDesktop desktop;
        return desktop;
    }

    QString root() const { return m_dir.path(); }
    QString recorder() const { return m_dir.path() + QStringLiteral("/my bin/record.sh"); }
    QString recordFile() const { return m_dir.path() + QStringLiteral("/launched.txt"); }
    static QString applicationId() { return QStringLiteral("ferrolink-test-recorder.desktop"); }

    // Waits for the recorder to have written line; the launch runs in another process.
    bool waitForLaunch(const QString &line) const
    {
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QFile file(recordFile());
            if (file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).split(u'\n').contains(line))
                return true;
            QThread::msleep(20);
        }
        return false;
    }

private:
    PrivateDesktop()
    {
        QDir().mkpath(root() + QStringLiteral("/data/applications"));
        QDir().mkpath(root() + QStringLiteral("/config"));
        QDir().mkpath(root() + QStringLiteral("/my bin"));
        write(recorder(), "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + recordFile().toUtf8() + "'\n");
        QFile::setPermissions(recorder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(root() + QStringLiteral("/data/applications/") + applicationId(),
            "[Desktop Entry]\nType=Application\nName=Ferrolink Test Recorder\nExec=\"" + recorder().toUtf8()
                + "\" %f\nMimeType=text/plain;application/x-shellscript;\n");
        // GIO learns which applications handle a type from mimeinfo.cache, not from the
        // MimeType lines themselves.
        write(root() + QStringLiteral("/data/applications/mimeinfo.cache"),
            "[MIME Cache]\ntext/plain=" + applicationId().toUtf8()
                + ";\napplication/x-shellscript=" + applicationId().toUtf8() + ";\n");
        write(root() + QStringLiteral("/config/mimeapps.list"),
            "[Default Applications]\ntext/plain=" + applicationId().toUtf8()
                + "\napplication/x-shellscript=" + applicationId().toUtf8() + "\n");
        ::setenv("XDG_DATA_HOME", QFile::encodeName(root() + QStringLiteral("/data")).constData(), 1);
        ::setenv("XDG_CONFIG_HOME", QFile::encodeName(root() + QStringLiteral("/config")).constData(), 1);
    }

    static void write(const QString &path, const QByteArray &data)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(data);
    }

    QTemporaryDir m_dir;
};
