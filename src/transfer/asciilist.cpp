#include "transfer/asciilist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

// One line of the list: items separated by commas, as the classic sequential text input
// reads them. A quoted item may hold commas and blanks; text between its closing quote and the
// next comma is ignored.
void appendItems(QStringView line, QStringList &items)
{
    qsizetype pos = 0;
    while (pos < line.size() && line[pos].isSpace())
        ++pos;
    for (;;) {
        QStringView item;
        qsizetype comma = -1;
        if (pos < line.size() && line[pos] == u'"') {
            const qsizetype close = line.indexOf(u'"', pos + 1);
            item = close < 0 ? line.mid(pos + 1) : line.mid(pos + 1, close - pos - 1);
            comma = close < 0 ? -1 : line.indexOf(u',', close + 1);
        } else {
            comma = line.indexOf(u',', pos);
            item = (comma < 0 ? line.mid(pos) : line.mid(pos, comma - pos)).trimmed();
        }
        if (!item.isEmpty())
            items.append(item.toString());
        if (comma < 0)
            return;
        pos = comma + 1;
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
    }
}

// Reading drops blanks around an item and splits at commas; quoting such an item brings it back
// exactly as the dialog showed it.
QString writtenItem(const QString &item)
{
    const bool needsQuotes = item.contains(u',') || item.trimmed().size() != item.size();
    return needsQuotes ? u'"' + item + u'"' : item;
}

} // namespace

AsciiList::AsciiList(const QString &userPath, const QString &defaultPath)
    : m_userPath(userPath)
    , m_defaultPath(defaultPath)
{
}

AsciiList AsciiList::standard()
{
    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const QString fileName = QString::fromLatin1(FileName);
    // Without a config folder there is no user's copy; never fall back to a file in "/".
    return AsciiList(configFolder.isEmpty() ? QString() : configFolder + u'/' + fileName,
        QCoreApplication::applicationDirPath() + u'/' + fileName);
}

QString AsciiList::path() const
{
    return !m_userPath.isEmpty() && QFileInfo::exists(m_userPath) ? m_userPath : m_defaultPath;
}

QStringList AsciiList::items() const
{
    return read(path());
}

bool AsciiList::IsAsciiFile(const QString &fileName) const
{
    // Comparing with the end of the name, dot included, compares the last extension only:
    // archive.txt.gz is binary (text mode would corrupt it), README.TXT is text, "txt" is not.
    // An item with dots of its own compares as many trailing parts, so TAR.GZ matches
    // x.tar.gz and an item typed with its dot (".TXT") only names ending in "..TXT".
    const QStringList list = items();
    return std::any_of(list.cbegin(), list.cend(),
        [&fileName](const QString &item) { return fileName.endsWith(u'.' + item, Qt::CaseInsensitive); });
}

bool AsciiList::write(const QStringList &items)
{
    m_errorString.clear();
    if (!m_userPath.isEmpty())
        QDir().mkpath(QFileInfo(m_userPath).absolutePath());
    // Written aside and renamed into place, so a failure leaves the old list whole.
    QSaveFile file(m_userPath);
    if (file.open(QIODevice::WriteOnly)) {
        QByteArray content;
        for (const QString &item : items)
            content += writtenItem(item).toUtf8() + "\r\n";
        if (file.write(content) == content.size() && file.commit())
            return true;
    }
    m_errorString = file.errorString();
    return false;
}

QStringList AsciiList::read(const QString &path)
{
    QStringList items;
    // Only a regular file: a folder or a pipe in its place must not stall the upload.
    if (!QFileInfo(path).isFile())
        return items;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return items;
    QString content = QString::fromUtf8(file.readAll());
    if (content.startsWith(QChar::ByteOrderMark))
        content.remove(0, 1);
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    content.replace(u'\r', u'\n');
    for (QStringView line : QStringView(content).split(u'\n'))
        appendItems(line, items);
    return items;
}
