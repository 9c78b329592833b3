#include "transfer/transferdrag.h"

#include "core/paths.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QModelIndex>
#include <QUrl>

#include <algorithm>

namespace TransferDrag {

QList<int> rowsOf(const QList<QModelIndex> &indexes)
{
    QList<int> rows;
    rows.reserve(indexes.size());
    for (const QModelIndex &index : indexes)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

namespace {

const QString FolderKey = QStringLiteral("folder");
const QString EntriesKey = QStringLiteral("entries");
const QString NameKey = QStringLiteral("name");
const QString IsFolderKey = QStringLiteral("isFolder");
const QString SizeKey = QStringLiteral("size");

} // namespace

QString serverEntriesType()
{
    return QStringLiteral("application/x-ferrolink-server-entries");
}

QMimeData *serverEntriesData(const TransferSelection &rows)
{
    QJsonArray entries;
    for (const TransferItem &item : rows.items) {
        // Sizes past 2^53 bytes would lose their last digits as a JSON number.
        entries.append(QJsonObject {
            { NameKey, item.name }, { IsFolderKey, item.isFolder }, { SizeKey, QString::number(item.size) } });
    }
    auto *data = new QMimeData;
    data->setData(serverEntriesType(),
        QJsonDocument(QJsonObject { { FolderKey, rows.folder }, { EntriesKey, entries } })
            .toJson(QJsonDocument::Compact));
    return data;
}

std::optional<TransferSelection> serverEntries(const QMimeData &data)
{
    if (!data.hasFormat(serverEntriesType()))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(data.data(serverEntriesType()));
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    TransferSelection rows { object.value(FolderKey).toString(), {} };
    for (const QJsonValue &value : object.value(EntriesKey).toArray()) {
        const QJsonObject entry = value.toObject();
        bool known = false;
        const qint64 size = entry.value(SizeKey).toString().toLongLong(&known);
        rows.items.append(
            { entry.value(NameKey).toString(), entry.value(IsFolderKey).toBool(), known ? size : qint64(-1) });
    }
    return rows;
}

QMimeData *localFilesData(const TransferSelection &files)
{
    QList<QUrl> urls;
    for (const TransferItem &item : files.items)
        urls.append(QUrl::fromLocalFile(files.folder + item.name));
    auto *data = new QMimeData;
    data->setUrls(urls);
    return data;
}

QList<TransferSelection> localFiles(const QMimeData &data)
{
    QList<TransferSelection> groups;
    for (const QUrl &url : data.urls()) {
        if (!url.isLocalFile())
            continue;
        // A file manager names a folder with or without a closing "/".
        QString path = url.toLocalFile();
        if (path.size() > 1 && path.endsWith(u'/'))
            path.chop(1);
        const QFileInfo info(path);
        // "/" itself names no file; one that has gone meanwhile fails in the upload with its line.
        if (info.fileName().isEmpty())
            continue;
        const QString folder = withClosingSlash(info.path());
        if (groups.isEmpty() || groups.constLast().folder != folder)
            groups.append({ folder, {} });
        groups.last().items.append({ info.fileName(), info.isDir(), info.isDir() ? qint64(-1) : info.size() });
    }
    return groups;
}

} // namespace TransferDrag
