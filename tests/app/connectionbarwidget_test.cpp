// The connection bar's padlock: there while the connection is encrypted, and never in the way.

#include "app/connectionbarwidget.h"
#include "app/textcatalogue.h"

#include <QApplication>
#include <QLabel>

#include <gtest/gtest.h>

#include <optional>

namespace {

class ConnectionBarWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TextCatalogue::instance().open(TextCatalogue::defaultPath()));
        TextCatalogue::instance().setLanguageTable(QStringLiteral("english"));
        m_bar.emplace();
    }

    QLabel *padlock() const { return m_bar->findChild<QLabel *>(QStringLiteral("imgEncrypted")); }

    // Built once the catalogue is open, so it shows the real texts.
    std::optional<ConnectionBarWidget> m_bar;
};

TEST_F(ConnectionBarWidgetTest, PadlockShowsWhileEncrypted)
{
    ConnectionBarWidget &bar = *m_bar;
    bar.show();
    ASSERT_NE(padlock(), nullptr);
    EXPECT_FALSE(padlock()->isVisible());
    EXPECT_EQ(padlock()->toolTip(), QStringLiteral("Encrypted connection"));
    EXPECT_FALSE(padlock()->pixmap().isNull());
    for (const bool encrypted : { true, false, true, false }) {
        bar.setEncrypted(encrypted);
        EXPECT_EQ(padlock()->isVisible(), encrypted);
    }
}

// Even at the bar's narrowest the padlock's place is kept free, so no field moves or shrinks.
TEST_F(ConnectionBarWidgetTest, PadlockMovesNothing)
{
    ConnectionBarWidget &bar = *m_bar;
    bar.resize(bar.minimumSizeHint());
    bar.show();
    const auto places = [this, &bar] {
        QList<QRect> rects { QRect(QPoint(), bar.minimumSizeHint()) };
        for (const QWidget *child : bar.findChildren<QWidget *>()) {
            if (child != padlock())
                rects.append(QRect(child->mapTo(&bar, QPoint(0, 0)), child->size()));
        }
        return rects;
    };
    QApplication::processEvents();
    const QList<QRect> plain = places();
    bar.setEncrypted(true);
    QApplication::processEvents();
    EXPECT_EQ(places(), plain);
    EXPECT_TRUE(bar.rect().contains(QRect(padlock()->mapTo(&bar, QPoint(0, 0)), padlock()->size())));
}

} // namespace
