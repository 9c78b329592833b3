// What a new user meets first: the start dialog's licence page and Qt's own texts in the chosen
// language.

#include "app/mainwindow.h"
#include "app/startdialog.h"
#include "core/textcatalogue.h"
#include "local/filetypename.h"
#include "support/scriptedprompts.h"
#include "widgets/toolbaricons.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class NewUserTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(TextCatalogue::instance().open(TextCatalogue::defaultPath())); }
    void TearDown() override { choose(QStringLiteral("english")); }

    // Chooses a language in the start dialog, as the user does with OK.
    static void choose(const QString &table)
    {
        StartDialog dialog;
        const QList<CatalogueLanguage> languages = TextCatalogue::instance().languages();
        for (int row = 0; row < languages.size(); ++row) {
            if (languages.at(row).table == table)
                dialog.findChild<QComboBox *>(QStringLiteral("cboSprache"))->setCurrentIndex(row);
        }
        dialog.accept();
    }
};

TEST_F(NewUserTest, LicencePageOpensAtTheTop)
{
    StartDialog dialog;
    dialog.resize(320, 220);
    dialog.show();
    dialog.findChild<QTabWidget *>(QStringLiteral("tabStart"))->setCurrentIndex(1);
    QApplication::processEvents();
    auto *agreement = dialog.findChild<QTextEdit *>(QStringLiteral("rtfLizenzvereinbarungen"));
    ASSERT_GT(agreement->verticalScrollBar()->maximum(), 0) << "the page must be long enough to scroll";
    EXPECT_EQ(agreement->verticalScrollBar()->value(), 0);
    EXPECT_EQ(agreement->textCursor().position(), 0);
}

TEST_F(NewUserTest, QtTextsAndTypeNamesFollowTheChosenLanguage)
{
    const struct {
        const char *table;
        const char *locale;
        const char *yes;
        const char *cancel;
    } cases[] = {
        { "german", "de", "&Ja", "Abbrechen" },
        { "french", "fr", "&Oui", "Annuler" },
        { "spanish", "es", "&Sí", "Cancelar" },
        { "english", "en", "&Yes", "Cancel" },
    };
    QString englishTypeName;
    for (const auto &c : cases) {
        choose(QLatin1String(c.table));
        EXPECT_EQ(QLocale().name().left(2), QLatin1String(c.locale)) << c.table;
        QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Yes | QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QString::fromUtf8(c.yes)) << c.table;
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8(c.cancel)) << c.table;
        const QString typeName = GetFileTypeName(QStringLiteral("letter.txt"));
        EXPECT_FALSE(typeName.isEmpty()) << c.table;
        if (QLatin1String(c.table) == QLatin1String("english"))
            englishTypeName = typeName;
    }
    choose(QStringLiteral("german"));
    EXPECT_NE(GetFileTypeName(QStringLiteral("letter.txt")), englishTypeName);
}

TEST_F(NewUserTest, ToolbarPicturesAreDistinctColouredAndGreyWhenDisabled)
{
    const ToolBarIcon roles[] = { ToolBarIcon::Connect, ToolBarIcon::AsciiList, ToolBarIcon::Stop, ToolBarIcon::Delete,
        ToolBarIcon::Properties, ToolBarIcon::NewFolder, ToolBarIcon::Open, ToolBarIcon::Refresh, ToolBarIcon::Upload,
        ToolBarIcon::Download, ToolBarIcon::EnterFolder, ToolBarIcon::LargeIcons, ToolBarIcon::SmallIcons,
        ToolBarIcon::List, ToolBarIcon::Details };
    const QSize size(20, 20);
    // The most saturated pixel: a pale grey symbol has none to speak of.
    const auto saturation = [](const QImage &image) {
        int most = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                if (colour.alpha() > 128)
                    most = std::max(most, colour.hsvSaturation());
            }
        }
        return most;
    };
    QList<QImage> seen;
    for (const ToolBarIcon role : roles) {
        const QIcon icon = toolBarIcon(role);
        ASSERT_FALSE(icon.isNull()) << int(role);
        const QImage normal = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage disabled = icon.pixmap(size, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_FALSE(seen.contains(normal)) << int(role) << " looks like another button";
        seen.append(normal);
        EXPECT_GT(saturation(normal), 100) << int(role) << " has no colour when enabled";
        EXPECT_LT(saturation(disabled), saturation(normal) / 2) << int(role) << " keeps its colour when disabled";
    }
    EXPECT_FALSE(applicationIcon().pixmap(64, 64).isNull());
}

TEST_F(NewUserTest, TheSmallestWindowShowsTheWholeConnectionBarAndEveryToolbarButtonInEveryLanguage)
{
    // Label and field pairs in their order along the bar, then the options.
    const char *order[]
        = { "lblAdresse", "txtAddress", "lblBenutzer", "txtUserID", "lblPasswort", "txtPassword", "chkRememberPassword",
              "lblPort", "txtPort", "tlbConnect", "chkPassiveTransfer", "lblModus", "cboTransferMode" };
    for (const char *table : { "german", "english", "french", "spanish" }) {
        choose(QLatin1String(table));
        ScriptedPrompts prompts;
        MainWindow window(prompts);
        window.show();
        window.resize(200, 600);
        QApplication::processEvents();
        EXPECT_GE(window.width(), window.minimumSizeHint().width()) << table;

        int previousRight = -1;
        for (const char *name : order) {
            auto *widget = window.findChild<QWidget *>(QLatin1String(name));
            ASSERT_NE(widget, nullptr) << name;
            const QRect box(widget->mapTo(&window, QPoint(0, 0)), widget->size());
            EXPECT_GT(box.left(), previousRight) << table << " " << name << " overlaps its neighbour";
            EXPECT_LE(box.right(), window.width()) << table << " " << name << " is cut off";
            previousRight = box.right();
            // Each caption gets the width its text needs in this language and font.
            if (auto *label = qobject_cast<QLabel *>(widget)) {
                EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << table << name;
            }
            if (auto *check = qobject_cast<QCheckBox *>(widget)) {
                EXPECT_GE(check->width(), check->sizeHint().width()) << table;
            }
        }
        auto *port = window.findChild<QLineEdit *>(QStringLiteral("txtPort"));
        EXPECT_GE(port->width(), port->fontMetrics().horizontalAdvance(QStringLiteral("65535"))) << table;

        for (QToolBar *bar : window.findChildren<QToolBar *>()) {
            // The "»" button that holds the actions a too-narrow toolbar cannot show.
            auto *extension = bar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"));
            EXPECT_FALSE(extension && extension->isVisible()) << table << " " << qPrintable(bar->objectName());
            for (QAction *action : bar->actions()) {
                const QWidget *button = bar->widgetForAction(action);
                EXPECT_TRUE(button && button->isVisible())
                    << table << " " << qPrintable(bar->objectName()) << " " << qPrintable(action->objectName());
            }
        }
    }
}

TEST_F(NewUserTest, TheFirstWindowUsesMostOfTheScreenAndLaterOnesTheLastSize)
{
    ScriptedPrompts prompts;
    QSize first;
    QSize last;
    {
        MainWindow window(prompts);
        first = window.size();
        window.show();
        // A size the user can give the window in any language: never below its smallest.
        last = QSize(1200, 800).expandedTo(window.minimumSizeHint());
        window.resize(last);
        window.close();
    }
    const QSize screen = QGuiApplication::primaryScreen()->availableSize();
    EXPECT_GE(first.width(), screen.width() * 8 / 10);
    EXPECT_GE(first.height(), screen.height() * 8 / 10);
    MainWindow again(prompts);
    EXPECT_EQ(again.size(), last);
}

} // namespace
