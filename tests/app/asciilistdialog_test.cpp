#include "app/asciilistdialog.h"
#include "core/textcatalogue.h"
#include "support/englishcatalogue.h"
#include "support/localfiles.h"
#include "support/scriptedprompts.h"
#include "transfer/asciilist.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Kind = ScriptedPrompts::Asked::Kind;

class AsciiListDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        ASSERT_TRUE(writeFile(defaultPath(), "TXT\r\nHTM\r\n"));
    }

    QString defaultPath() const { return m_dir.filePath(QStringLiteral("default.dat")); }
    QString userPath() const { return m_dir.filePath(QStringLiteral("config/ascii.dat")); }

    static QString catalogue(const char *key) { return TextCatalogue::instance().text(QString::fromLatin1(key)); }

    template <typename T> static T *child(const AsciiListDialog &dialog, const char *name)
    {
        T *found = dialog.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void click(const AsciiListDialog &dialog, const char *button)
    {
        child<QPushButton>(dialog, button)->click();
    }

    static void select(const AsciiListDialog &dialog, int row)
    {
        child<QListWidget>(dialog, "lstASCIIList")->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    }

    QTemporaryDir m_dir;
    AsciiList m_list { userPath(), defaultPath() };
    ScriptedPrompts m_prompts;
};

TEST_F(AsciiListDialogTest, ShowsTheListInForceWithCatalogueCaptions)
{
    AsciiListDialog dialog(m_prompts, m_list);
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmASCIIListe"));
    EXPECT_EQ(dialog.windowTitle(), catalogue("FRMASCIILISTE_CAPTION"));
    EXPECT_EQ(child<QLabel>(dialog, "lblHilfe")->text(), catalogue("FRMASCIILISTE_ASCII_HELP"));
    const struct {
        const char *button;
        const char *key;
    } buttons[] = { { "cmdAdd", "FERMASCIILISTE_ADD" }, { "cmdRemove", "FERMASCIILISTE_REMOVE" },
        { "cmdUebernehmen", "FERMASCIILISTE_TAKE" }, { "cmdAbbrechen", "FERMASCIILISTE_CANCEL" } };
    for (const auto &button : buttons)
        EXPECT_EQ(child<QPushButton>(dialog, button.button)->text(), catalogue(button.key)) << button.button;
    EXPECT_EQ(dialog.entries(), QStringList({ "TXT", "HTM" }));
}

TEST_F(AsciiListDialogTest, AddAppendsTheAnswerUpperCased)
{
    AsciiListDialog dialog(m_prompts, m_list);
    m_prompts.answerInput(QStringLiteral("css"));
    m_prompts.answerInput(QStringLiteral(".md"));
    click(dialog, "cmdAdd");
    click(dialog, "cmdAdd");
    EXPECT_EQ(dialog.entries(), QStringList({ "TXT", "HTM", "CSS", ".MD" }));
    ASSERT_EQ(m_prompts.asked().size(), 2);
    EXPECT_EQ(m_prompts.asked()[0].kind, Kind::Input);
    EXPECT_EQ(m_prompts.asked()[0].text, catalogue("FRMASCIILISTE_NEWEXT"));
    EXPECT_TRUE(m_prompts.asked()[0].defaultText.isEmpty());
}

TEST_F(AsciiListDialogTest, AddingAListedExtensionShowsTheMessageAndAddsNothing)
{
    AsciiListDialog dialog(m_prompts, m_list);
    m_prompts.answerInput(QStringLiteral("htm"));
    click(dialog, "cmdAdd");
    EXPECT_EQ(dialog.entries(), QStringList({ "TXT", "HTM" }));
    ASSERT_EQ(m_prompts.asked().size(), 2);
    EXPECT_EQ(m_prompts.asked()[1].kind, Kind::Message);
    EXPECT_EQ(m_prompts.asked()[1].text, catalogue("FRMASCIILISTE_ENTRYDA"));
    EXPECT_EQ(m_prompts.asked()[1].icon, Prompts::Icon::Information);
}

TEST_F(AsciiListDialogTest, EmptyOrCancelledAnswerAddsNothing)
{
    AsciiListDialog dialog(m_prompts, m_list);
    m_prompts.answerInput(QString());
    m_prompts.answerInput(std::nullopt);
    click(dialog, "cmdAdd");
    click(dialog, "cmdAdd");
    EXPECT_EQ(dialog.entries(), QStringList({ "TXT", "HTM" }));
    EXPECT_EQ(m_prompts.asked().size(), 2);
}

TEST_F(AsciiListDialogTest, RemoveWithNothingSelectedAsksNothing)
{
    AsciiListDialog dialog(m_prompts, m_list);
    click(dialog, "cmdRemove");
    EXPECT_TRUE(m_prompts.asked().isEmpty());
    EXPECT_EQ(dialog.entries(), QStringList({ "TXT", "HTM" }));
}

TEST_F(AsciiListDialogTest, RemoveTakesTheSelectedEntryOnlyOnYes)
{
    AsciiListDialog dialog(m_prompts, m_list);
    select(dialog, 1);
    m_prompts.answerYesNo(false);
    click(dialog, "cmdRemove");
    EXPECT_EQ(dialog.entries(), QStringList({ "TXT", "HTM" }));
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].kind, Kind::YesNo);
    EXPECT_EQ(m_prompts.asked()[0].text,
        catalogue("FRMASCIILISTE_ENTRYDEL1") + QStringLiteral(" HTM ") + catalogue("FRMASCIILISTE_ENTRYDEL2"));

    m_prompts.answerYesNo(true);
    click(dialog, "cmdRemove");
    EXPECT_EQ(dialog.entries(), QStringList({ "TXT" }));
}

TEST_F(AsciiListDialogTest, TakeOverWritesTheUserCopyAndCloses)
{
    AsciiListDialog dialog(m_prompts, m_list);
    dialog.show();
    m_prompts.answerInput(QStringLiteral("css"));
    click(dialog, "cmdAdd");
    click(dialog, "cmdUebernehmen");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(contents(userPath()), QByteArray("TXT\r\nHTM\r\nCSS\r\n"));
    EXPECT_EQ(contents(defaultPath()), QByteArray("TXT\r\nHTM\r\n"));
    EXPECT_TRUE(m_list.IsAsciiFile(QStringLiteral("style.css")));
}

TEST_F(AsciiListDialogTest, CancelWritesNothing)
{
    AsciiListDialog dialog(m_prompts, m_list);
    dialog.show();
    m_prompts.answerInput(QStringLiteral("css"));
    click(dialog, "cmdAdd");
    click(dialog, "cmdAbbrechen");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(QFile::exists(userPath()));
    EXPECT_FALSE(m_list.IsAsciiFile(QStringLiteral("style.css")));
}

TEST_F(AsciiListDialogTest, FailedTakeOverIsReportedAndCloses)
{
    ASSERT_TRUE(writeFile(m_dir.filePath(QStringLiteral("config"))));
    AsciiListDialog dialog(m_prompts, m_list);
    dialog.show();
    click(dialog, "cmdUebernehmen");
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].kind, Kind::Message);
    EXPECT_EQ(m_prompts.asked()[0].icon, Prompts::Icon::Exclamation);
    EXPECT_TRUE(m_prompts.asked()[0].text.contains(QDir::toNativeSeparators(userPath())));
}

} // namespace
