#include "transfer/temporaryname.h"

#include <QRandomGenerator>

QString temporaryName(const QString &name, const QString &prefix, int maxBytes)
{
    const QString suffix = u'.' + QString::number(QRandomGenerator::global()->generate(), 16) + QStringLiteral(".part");
    qsizetype room = maxBytes - prefix.toUtf8().size() - suffix.toUtf8().size();
    QString kept;
    // By code point, so that a surrogate pair is never split.
    for (qsizetype i = 0; i < name.size();) {
        const qsizetype length = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QString character = name.mid(i, length);
        room -= character.toUtf8().size();
        if (room < 0)
            break;
        kept += character;
        i += length;
    }
    return prefix + kept + suffix;
}
