// What drags carry: server rows keep names, folder flags and 64-bit sizes with their folder; local
// files from the desktop come grouped by the folder they are in, other URLs left out.
#include "transfer/transferdrag.h"

#include "support/localfiles.h"

#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(TransferDragTest, ServerRowsComeBackAsTheyWent)
{
    const TransferSelection rows { QStringLiteral("/pub/ with blanks/"),
        { { QStringLiteral("big.iso"), false, qint64(1) << 53 | 1 }, { QStringLiteral("sub"), true, -1 },
            { QStringLiteral("ünï cödé.txt"), false, 0 } } };
    const std::unique_ptr<QMimeData> data(TransferDrag::serverEntriesData(rows));

    const std::optional<TransferSelection> back = TransferDrag::serverEntries(*data);

    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->folder, rows.folder);
    EXPECT_EQ(back->items, rows.items);
    // Local files are no server rows, and server rows no local files.
    EXPECT_TRUE(TransferDrag::localFiles(*data).isEmpty());
    QMimeData files;
    files.setUrls({ QUrl::fromLocalFile(QStringLiteral("/tmp/x")) });
    EXPECT_FALSE(TransferDrag::serverEntries(files).has_value());
}

TEST(TransferDragTest, DesktopFilesComeByFolderInTheirOrder)
{
    QTemporaryDir root;
    const QString one = root.path() + QStringLiteral("/one/");
    const QString two = root.path() + QStringLiteral("/two/");
    ASSERT_TRUE(QDir().mkpath(one + QStringLiteral("folder")) && QDir().mkpath(two));
    ASSERT_TRUE(writeFile(one + QStringLiteral("a.txt"), "aaa") && writeFile(two + QStringLiteral("b.txt"), "b"));
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(one + QStringLiteral("a.txt")),
        // File managers may name a folder with its closing slash.
        QUrl::fromLocalFile(one + QStringLiteral("folder/")), QUrl(QStringLiteral("https://example.org/c.txt")),
        QUrl::fromLocalFile(two + QStringLiteral("b.txt")) });

    const QList<TransferSelection> groups = TransferDrag::localFiles(data);

    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].folder, one);
    EXPECT_EQ(groups[0].items,
        (QList<TransferItem> { { QStringLiteral("a.txt"), false, 3 }, { QStringLiteral("folder"), true, -1 } }));
    EXPECT_EQ(groups[1].folder, two);
    EXPECT_EQ(groups[1].items, (QList<TransferItem> { { QStringLiteral("b.txt"), false, 1 } }));
}

} // namespace
