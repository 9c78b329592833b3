// The connection bar's padlock: there while the connection is encrypted, and never in the way;
// the recent servers under the address field, and the passwords the secret service kept.

#include "app/connectionbarwidget.h"
#include "core/textcatalogue.h"
#include "support/englishcatalogue.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

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
    template <typename T = QLineEdit> T *child(const char *name) const
    {
        return m_bar->findChild<T *>(QString::fromLatin1(name));
    }
    RecentServer shown() const
    {
        return { child("txtAddress")->text(), child("txtPort")->text(), child("txtUserID")->text() };
    }

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

TEST_F(ConnectionBarWidgetTest, DownInTheAddressFieldOffersTheRecentServersAndOneFillsTheBar)
{
    ConnectionBarWidget &bar = *m_bar;
    const QList<RecentServer> recent { { QStringLiteral("ftpes://files.example.org"), QStringLiteral("990"),
                                           QString() },
        { QStringLiteral("ftp.example.org"), QStringLiteral("2121"), QStringLiteral("anna") } };
    QList<RecentServer> chosen;
    QObject::connect(&bar, &ConnectionBarWidget::recentServerChosen,
        [&chosen](const RecentServer &server) { chosen.append(server); });
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    auto *address = child("txtAddress");
    auto *showAll = child<QAction>("showRecentServers");
    ASSERT_NE(showAll, nullptr);
    EXPECT_FALSE(showAll->isVisible()) << "nothing to offer yet";

    bar.setRecentServers(recent);
    EXPECT_TRUE(showAll->isVisible());
    address->setText(QStringLiteral("typed"));
    child("txtPassword")->setText(QStringLiteral("for another server"));
    address->setFocus();
    QTest::keyClick(address, Qt::Key_Down);
    QAbstractItemView *popup = address->completer()->popup();
    ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }));
    ASSERT_EQ(popup->model()->rowCount(), 2);
    EXPECT_EQ(popup->model()->index(0, 0).data().toString(), QStringLiteral("ftpes://files.example.org (port 990)"));
    EXPECT_EQ(popup->model()->index(1, 0).data().toString(), QStringLiteral("ftp.example.org (anna, port 2121)"));

    popup->setCurrentIndex(popup->model()->index(1, 0));
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(shown(), recent[1]);
    EXPECT_TRUE(child("txtPassword")->text().isEmpty());
    EXPECT_EQ(chosen, QList<RecentServer> { recent[1] });

    bar.setRecentServers({});
    EXPECT_FALSE(showAll->isVisible());
}

TEST_F(ConnectionBarWidgetTest, AStoredPasswordFillsOnlyTheServerStillShown)
{
    ConnectionBarWidget &bar = *m_bar;
    const RecentServer first { QStringLiteral("one.example.org"), QStringLiteral("21"), QStringLiteral("anna") };
    const RecentServer second { QStringLiteral("two.example.org"), QStringLiteral("21"), QStringLiteral("anna") };
    auto *remember = child<QCheckBox>("chkRememberPassword");
    ASSERT_NE(remember, nullptr);
    EXPECT_FALSE(remember->isEnabled()) << "until the secret service answered";
    bar.setPasswordStoreAvailable(true, QString());
    EXPECT_TRUE(remember->isEnabled());
    EXPECT_TRUE(remember->toolTip().isEmpty());

    bar.chooseRecentServer(first);
    bar.chooseRecentServer(second);
    // The first server's answer comes late: the bar shows another server by then.
    bar.offerPassword(first, QStringLiteral("one's"));
    EXPECT_TRUE(child("txtPassword")->text().isEmpty());
    EXPECT_FALSE(bar.isPasswordRemembered());
    bar.offerPassword(second, QStringLiteral("two's"));
    EXPECT_EQ(child("txtPassword")->text(), QStringLiteral("two's"));
    EXPECT_TRUE(bar.isPasswordRemembered());

    bar.setPasswordStoreAvailable(false, QStringLiteral("no bus"));
    EXPECT_FALSE(remember->isEnabled());
    EXPECT_FALSE(bar.isPasswordRemembered());
    EXPECT_EQ(remember->toolTip(), text("KEYRING_UNAVAILABLE") + QStringLiteral("\nno bus"));
}

} // namespace
