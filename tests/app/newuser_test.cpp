// What a new user meets first: the start dialog's licence page and Qt's own texts in the chosen
// language.

#include "app/startdialog.h"
#include "app/textcatalogue.h"
#include "local/filetypename.h"

#include <QApplication>
#include <QComboBox>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextEdit>

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

} // namespace
