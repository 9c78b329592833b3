#include "connection/recentservers.h"

#include "core/historylog.h"
#include "core/textcatalogue.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <optional>

namespace {

const QString ArrayName = QStringLiteral("servers");
const QString AddressKey = QStringLiteral("address");
const QString PortKey = QStringLiteral("port");
const QString UserKey = QStringLiteral("user");

// The entries of a sound file; nothing when any part of it cannot be trusted, since a list
// that lost an entry in the middle would offer the wrong servers in the wrong order.
std::optional<QList<RecentServer>> readFile(const QString &file)
{
    QSettings settings(file, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    const QStringList groups = settings.childGroups();
    const QStringList keys = settings.childKeys();
    if (!keys.isEmpty() || groups.size() > 1 || (groups.size() == 1 && groups.first() != ArrayName))
        return std::nullopt;
    QList<RecentServer> servers;
    if (groups.isEmpty())
        return servers;
    settings.beginGroup(ArrayName);
    bool counted = false;
    const int size = settings.value(QStringLiteral("size")).toInt(&counted);
    settings.endGroup();
    if (!counted || size < 0 || size > RecentServers::Capacity)
        return std::nullopt;
    settings.beginReadArray(ArrayName);
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        const QVariant address = settings.value(AddressKey);
        const QVariant port = settings.value(PortKey);
        const QVariant user = settings.value(UserKey);
        if (address.typeId() != QMetaType::QString || port.typeId() != QMetaType::QString
            || user.typeId() != QMetaType::QString || address.toString().trimmed().isEmpty())
            return std::nullopt;
        const RecentServer server { address.toString(), port.toString(), user.toString() };
        if (servers.contains(server))
            return std::nullopt;
        servers.append(server);
    }
    settings.endArray();
    return servers;
}

} // namespace

RecentServers::RecentServers(QString file)
    : m_file(std::move(file))
{
}

QString RecentServers::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/recent.conf");
}

void RecentServers::load(HistoryLog &history)
{
    m_servers.clear();
    if (!QFile::exists(m_file))
        return;
    if (std::optional<QList<RecentServer>> servers = readFile(m_file)) {
        m_servers = std::move(*servers);
        return;
    }
    history.appendLine(text("RECENT_DAMAGED").arg(m_file) + QStringLiteral("\r\n"), HistoryLog::Colour::Blue);
    if (!save())
        history.appendLine(text("RECENT_NOTSAVED").arg(m_file) + QStringLiteral("\r\n"), HistoryLog::Colour::Red);
}

bool RecentServers::remember(const RecentServer &server)
{
    // Logging in again to the first server changes nothing: no write on every connect.
    if (!m_servers.isEmpty() && m_servers.first() == server)
        return true;
    m_servers.removeAll(server);
    m_servers.prepend(server);
    if (m_servers.size() > Capacity)
        m_servers.resize(Capacity);
    return save();
}

bool RecentServers::clear()
{
    m_servers.clear();
    return save();
}

bool RecentServers::save() const
{
    // Written from scratch: QSettings would otherwise keep whatever it could parse of a damaged
    // file beside the new entries.
    if (QFile::exists(m_file) && !QFile::remove(m_file))
        return false;
    QSettings settings(m_file, QSettings::IniFormat);
    settings.beginWriteArray(ArrayName, int(m_servers.size()));
    for (int i = 0; i < m_servers.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(AddressKey, m_servers.at(i).address);
        settings.setValue(PortKey, m_servers.at(i).port);
        settings.setValue(UserKey, m_servers.at(i).user);
    }
    settings.endArray();
    settings.sync();
    return settings.status() == QSettings::NoError;
}
