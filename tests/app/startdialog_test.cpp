#include "app/startdialog.h"
#include "core/textcatalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class StartDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(catalogue().open(TextCatalogue::defaultPath()));
        catalogue().setLanguageTable({});
    }

    static TextCatalogue &catalogue() { return TextCatalogue::instance(); }

    // Clicks a button of the modal dialog once it is running.
    static void clickWhenShown(const char *button)
    {
        QTimer::singleShot(0, [button] {
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QPushButton *>(QString::fromLatin1(button))->click();
        });
    }
};

TEST_F(StartDialogTest, ShowsLanguagesAgreementAndProductInfo)
{
    StartDialog dialog;
    auto *tabs = dialog.findChild<QTabWidget *>(QStringLiteral("tabStart"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Sprache/Language/Langue/Idioma"));

    auto *languages = dialog.findChild<QComboBox *>(QStringLiteral("cboSprache"));
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(languages->count(), 4);
    EXPECT_EQ(languages->currentIndex(), 2);
    EXPECT_EQ(languages->currentText(), QStringLiteral("English"));

    auto *agreement = dialog.findChild<QTextEdit *>(QStringLiteral("rtfLizenzvereinbarungen"));
    ASSERT_NE(agreement, nullptr);
    EXPECT_TRUE(agreement->toPlainText().contains(QStringLiteral("Licence Agreement")));

    QStringList info;
    for (const QLabel *label : dialog.findChild<QWidget *>(QStringLiteral("picInfo"))->findChildren<QLabel *>())
        info << label->text();
    EXPECT_TRUE(info.contains(QStringLiteral("Ferrolink")));
    EXPECT_TRUE(info.contains(QStringLiteral("Release 1 Version 3")));
}

// OK takes the selected row, wherever it stands; with nothing selected, the first language.
TEST_F(StartDialogTest, OkSetsTheLanguageTableOfTheSelectedRow)
{
    const QList<CatalogueLanguage> languages = catalogue().languages();
    ASSERT_EQ(languages.size(), 4);
    const struct {
        int row;
        QString table;
    } cases[] = { { 0, languages[0].table }, { 2, languages[2].table }, { 3, languages[3].table },
        { -1, languages[0].table } };
    for (const auto &c : cases) {
        catalogue().setLanguageTable({});
        StartDialog dialog;
        dialog.findChild<QComboBox *>(QStringLiteral("cboSprache"))->setCurrentIndex(c.row);
        dialog.findChild<QPushButton *>(QStringLiteral("cmdOk"))->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.row;
        EXPECT_EQ(catalogue().languageTable(), c.table) << c.row;
        EXPECT_NE(catalogue().text(QStringLiteral("LABEL_PORT")), QStringLiteral("########")) << c.row;
    }
}

TEST_F(StartDialogTest, CancelEndsWithoutALanguageAndOkGoesOn)
{
    clickWhenShown("cmdAbbrechen");
    EXPECT_FALSE(StartDialog::askLanguage());
    EXPECT_TRUE(catalogue().languageTable().isEmpty());

    clickWhenShown("cmdOk");
    EXPECT_TRUE(StartDialog::askLanguage());
    EXPECT_EQ(catalogue().languageTable(), catalogue().languages().at(2).table);
}

} // namespace
