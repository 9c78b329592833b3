// The connection bar's padlock: there while the connection is encrypted, and never in the way.

#include "app/connectionbarwidget.h"
#include "core/textcatalogue.h"
#include "support/englishcatalogue.h"

#include <QApplication>
#include <QLabel>

#include <gtest/gtest.h>

#include <optional>

namespace {

class ConnectionBarWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        m_bar.emplace();
    }

    QLabel *padlock() const { return m_bar->findChild<QLabel *>(QStringLiteral("imgEncrypted")); }

    // Built once the catalogue is open, so it shows the real texts.
    std::optional<ConnectionBarWidget> m_bar;
};

// The padlock is there exactly while encrypted; its place is kept even at the bar's narrowest, so
// no field moves or shrinks when it comes and goes.
TEST_F(ConnectionBarWidgetTest, PadlockShowsWhileEncryptedAndMovesNothing)
{
    ConnectionBarWidget &bar = *m_bar;
    bar.resize(bar.minimumSizeHint());
    bar.show();
    ASSERT_NE(padlock(), nullptr);
    EXPECT_EQ(padlock()->toolTip(), QStringLiteral("Encrypted connection"));
    EXPECT_FALSE(padlock()->pixmap().isNull());
    const auto placeOf = [&bar](const QWidget *widget) { return QRect(widget->mapTo(&bar, QPoint()), widget->size()); };
    const auto places = [this, &bar, &placeOf] {
        QList<QRect> rects { QRect(QPoint(), bar.minimumSizeHint()) };
        for (const QWidget *child : bar.findChildren<QWidget *>()) {
            if (child != padlock())
                rects.append(placeOf(child));
        }
        return rects;
    };
    QApplication::processEvents();
    EXPECT_FALSE(padlock()->isVisible());
    const QList<QRect> plain = places();
    for (const bool encrypted : { true, false }) {
        bar.setEncrypted(encrypted);
        QApplication::processEvents();
        EXPECT_EQ(padlock()->isVisible(), encrypted);
        EXPECT_EQ(places(), plain) << encrypted;
    }
    EXPECT_TRUE(bar.rect().contains(placeOf(padlock())));
}

} // namespace
