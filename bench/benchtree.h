#pragma once
// What the tree benchmarks share: the same tree of small random files, and the server they run
// against (the test suite's pyftpdlib, or the one a URL names).

#include "core/textcatalogue.h"
#include "support/ftptestserver.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>

namespace BenchTree {

// 2 folders, 4 in each of them, 5 in each of those: 50 folders three levels deep.
inline constexpr int foldersPerLevel[] = { 2, 4, 5 };
inline constexpr int minFileSize = 1024;
inline constexpr int maxFileSize = 64 * 1024;

// The relative paths of the tree's folders ("a0/b1/c2/"), parents before their children.
inline QStringList folders()
{
    QStringList all;
    QStringList level { QString() };
    for (size_t depth = 0; depth < std::size(foldersPerLevel); ++depth) {
        QStringList next;
        for (const QString &parent : level) {
            for (int i = 0; i < foldersPerLevel[depth]; ++i)
                next.append(parent + QChar(char16_t(u'a' + depth)) + QString::number(i) + u'/');
        }
        all += next;
        level = next;
    }
    return all;
}

// size random bytes, written a mebibyte at a time.
inline bool writeRandomFile(const QString &path, qint64 size, QRandomGenerator &random)
{
    constexpr qint64 blockSize = 1024 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block;
    for (qint64 written = 0; written < size;) {
        const qint64 length = std::min(size - written, blockSize);
        block.resize((length + 3) / 4 * 4);
        random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        if (file.write(block.constData(), length) != length)
            return false;
        written += length;
    }
    return true;
}

// files files of 1–64 KiB spread evenly over the folders, always the same ones; returns the
// bytes written, or nullopt on failure.
inline std::optional<qint64> write(const QString &root, int files)
{
    const QStringList all = folders();
    for (const QString &folder : all) {
        if (!QDir().mkpath(root + u'/' + folder))
            return std::nullopt;
    }
    QRandomGenerator random(42);
    qint64 total = 0;
    for (int i = 0; i < files; ++i) {
        const qint64 size = random.bounded(minFileSize, maxFileSize + 1);
        const QString path
            = root + u'/' + all.at(i % all.size()) + QStringLiteral("file%1.bin").arg(i, 5, 10, QLatin1Char('0'));
        if (!writeRandomFile(path, size, random))
            return std::nullopt;
        total += size;
    }
    return total;
}

// What every tree benchmark does first: the English catalogue, and the server of urlArgument or,
// when it is empty, a pyftpdlib started into localServer; the path always ends in "/". nullopt,
// with the reason in error, when the catalogue or the server is missing or the URL is not one.
inline std::optional<QUrl> prepare(
    const QString &urlArgument, std::unique_ptr<FtpTestServer> &localServer, QString &error)
{
    if (!TextCatalogue::instance().open(TextCatalogue::defaultPath())) {
        error = QStringLiteral("cannot open the catalogue ") + TextCatalogue::defaultPath();
        return std::nullopt;
    }
    TextCatalogue::instance().setLanguageTable(QStringLiteral("english"));
    QUrl url(urlArgument);
    if (urlArgument.isEmpty()) {
        localServer = std::make_unique<FtpTestServer>();
        if (!localServer->start()) {
            error = QStringLiteral("could not start the FTP test server");
            return std::nullopt;
        }
        url.setScheme(QStringLiteral("ftp"));
        url.setHost(localServer->host());
        url.setPort(localServer->port());
        url.setUserName(localServer->user());
        url.setPassword(localServer->password());
        url.setPath(QStringLiteral("/"));
    } else if (!url.isValid() || url.scheme() != QLatin1String("ftp")) {
        error = QStringLiteral("not an ftp:// URL: ") + urlArgument;
        return std::nullopt;
    }
    if (!url.path().endsWith(u'/'))
        url.setPath(url.path() + u'/');
    return url;
}

} // namespace BenchTree
