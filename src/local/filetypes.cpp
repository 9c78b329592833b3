#include "local/filetypes.h"

#include <QHash>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>

namespace {

// Drawn once when the icon theme has nothing, so rows never go without a picture.
QIcon drawnIcon(bool isFolder)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(90, 90, 90));
    if (isFolder) {
        painter.setBrush(QColor(240, 200, 90));
        painter.drawRect(3, 9, 26, 18);
        painter.drawRect(3, 5, 11, 5);
    } else {
        painter.setBrush(Qt::white);
        painter.drawRect(7, 3, 18, 26);
    }
    return QIcon(pixmap);
}

} // namespace

QIcon GetFileIcon(const QString &fileName, bool isFolder)
{
    if (isFolder) {
        static const QIcon folder = QIcon::fromTheme(QStringLiteral("folder"), drawnIcon(true));
        return folder;
    }
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    // Theme look-ups are slow and many names share a type: one icon per type for the process.
    static QHash<QString, QIcon> iconsByType;
    if (const auto known = iconsByType.constFind(type.name()); known != iconsByType.cend())
        return *known;
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) {
        static const QIcon document = QIcon::fromTheme(QStringLiteral("text-x-generic"), drawnIcon(false));
        icon = document;
    }
    iconsByType.insert(type.name(), icon);
    return icon;
}
