#include "local/filetypename.h"

#include <QMimeDatabase>

QString GetExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.mid(dot + 1);
}

QString GetFileTypeName(const QString &fileName)
{
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return {};
    // In the default locale's language, which the start dialog makes the chosen one's.
    return type.comment();
}

const QHash<QString, QString> &OwnIconTypes()
{
    static const QHash<QString, QString> types {
        { QStringLiteral("zico"), QStringLiteral("Symbol") },
        { QStringLiteral("zexe"), QStringLiteral("Anwendung") },
        { QStringLiteral("zlnk"), QStringLiteral("Verknüpfung") },
        { QStringLiteral("zcur"), QStringLiteral("Cursor") },
    };
    return types;
}
