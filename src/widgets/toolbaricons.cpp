#include "widgets/toolbaricons.h"

#include <QString>

namespace {

QIcon ownIcon(const char *name)
{
    return QIcon(QStringLiteral(":/icons/toolbar/%1.svg").arg(QLatin1String(name)));
}

} // namespace

QIcon toolBarIcon(ToolBarIcon role)
{
    switch (role) {
    case ToolBarIcon::Connect:
        return ownIcon("connect");
    case ToolBarIcon::AsciiList:
        return ownIcon("asciilist");
    case ToolBarIcon::Stop:
        return ownIcon("stop");
    case ToolBarIcon::Delete:
        return ownIcon("delete");
    case ToolBarIcon::Properties:
        return ownIcon("properties");
    case ToolBarIcon::NewFolder:
        return ownIcon("newfolder");
    case ToolBarIcon::Open:
        return ownIcon("open");
    case ToolBarIcon::Refresh:
        return ownIcon("refresh");
    case ToolBarIcon::Upload:
        return ownIcon("upload");
    case ToolBarIcon::Download:
        return ownIcon("download");
    case ToolBarIcon::UploadToTheRight:
        return ownIcon("uploadright");
    case ToolBarIcon::DownloadToTheLeft:
        return ownIcon("downloadleft");
    case ToolBarIcon::EnterFolder:
        return ownIcon("enterfolder");
    case ToolBarIcon::LargeIcons:
        return ownIcon("largeicons");
    case ToolBarIcon::SmallIcons:
        return ownIcon("smallicons");
    case ToolBarIcon::List:
        return ownIcon("list");
    case ToolBarIcon::Details:
        break;
    }
    return ownIcon("details");
}

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/ferrolink.svg"));
}

QIcon padlockIcon()
{
    return QIcon(QStringLiteral(":/icons/padlock.svg"));
}
