#include "core/textcatalogue.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

const QString placeholder = QStringLiteral("########");

QString builtCatalogue()
{
    return QStringLiteral(FERROLINK_RUNTIME_DIR "/lang.db");
}

// A small catalogue of our own, with the cases the look-up rules care about.
QString writeCatalogue(const QString &dir, const char *password)
{
    const QString path = dir + QStringLiteral("/test.db");
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const QByteArray script = QByteArray("PRAGMA key = '") + password + "';"
        "CREATE TABLE languages (id INTEGER, tablename TEXT, displayname TEXT);"
        "INSERT INTO languages VALUES (1, ' deutsch ', 'Deutsch');"
        "INSERT INTO languages VALUES (2, 'english', 'English');"
        "CREATE TABLE english (key TEXT, inhalt TEXT);"
        "INSERT INTO english VALUES ('GOOD', 'Good text');"
        "INSERT INTO english VALUES ('EMPTY', '');"
        "INSERT INTO english VALUES ('NULLTEXT', NULL);"
        "INSERT INTO english VALUES ('BLANKS', '  padded  ');"
        "INSERT INTO english VALUES ('QUOTE''S', 'quoted');"
        "CREATE TABLE deutsch (key TEXT, inhalt TEXT);"
        "INSERT INTO deutsch VALUES ('GOOD', 'Guter Text');";
    EXPECT_EQ(sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    return path;
}

TEST(TextCatalogue, LookupRules)
{
    QTemporaryDir dir;
    TextCatalogue catalogue;
    ASSERT_TRUE(catalogue.open(writeCatalogue(dir.path(), "secret"), QStringLiteral("secret")));

    // No language chosen yet: every look-up fails.
    EXPECT_EQ(catalogue.text(QStringLiteral("GOOD")), placeholder);

    const auto languages = catalogue.languages();
    ASSERT_EQ(languages.size(), 2);
    EXPECT_EQ(languages[0].table, QStringLiteral("deutsch")); // blanks trimmed
    EXPECT_EQ(languages[1].displayName, QStringLiteral("English"));

    catalogue.setLanguageTable(QStringLiteral("english"));
    EXPECT_EQ(catalogue.text(QStringLiteral("MISSING")), placeholder);
    EXPECT_EQ(catalogue.text(QStringLiteral("GOOD")), QStringLiteral("Good text"));
    EXPECT_EQ(catalogue.text(QStringLiteral("EMPTY")), placeholder);
    EXPECT_EQ(catalogue.text(QStringLiteral("NULLTEXT")), placeholder);
    EXPECT_EQ(catalogue.text(QStringLiteral("BLANKS")), QStringLiteral("  padded  "));
    // The key is bound, so a quote in it is just a character.
    EXPECT_EQ(catalogue.text(QStringLiteral("QUOTE'S")), QStringLiteral("quoted"));
    EXPECT_EQ(catalogue.text(QStringLiteral("' OR '1'='1")), placeholder);

    catalogue.setLanguageTable(QStringLiteral(" deutsch "));
    EXPECT_EQ(catalogue.text(QStringLiteral("GOOD")), QStringLiteral("Guter Text"));

    // A table name that is no plain identifier is refused.
    catalogue.setLanguageTable(QStringLiteral("english; DROP TABLE english"));
    EXPECT_TRUE(catalogue.languageTable().isEmpty());
    EXPECT_EQ(catalogue.text(QStringLiteral("GOOD")), placeholder);
    catalogue.setLanguageTable(QStringLiteral("klingon"));
    EXPECT_EQ(catalogue.text(QStringLiteral("GOOD")), placeholder);
}

TEST(TextCatalogue, WrongPasswordOrMissingFileGivesPlaceholders)
{
    QTemporaryDir dir;
    const QString path = writeCatalogue(dir.path(), "secret");
    TextCatalogue catalogue;
    EXPECT_FALSE(catalogue.open(path, QStringLiteral("wrong")));
    EXPECT_TRUE(catalogue.languages().isEmpty());
    catalogue.setLanguageTable(QStringLiteral("english"));
    EXPECT_EQ(catalogue.text(QStringLiteral("GOOD")), placeholder);

    EXPECT_FALSE(catalogue.open(dir.path() + QStringLiteral("/nothing.db")));
    EXPECT_EQ(catalogue.text(QStringLiteral("GOOD")), placeholder);
}

TEST(TextCatalogue, BuiltCatalogueOffersFourLanguagesWithEnglishThird)
{
    TextCatalogue catalogue;
    ASSERT_TRUE(catalogue.open(builtCatalogue()));
    const auto languages = catalogue.languages();
    ASSERT_EQ(languages.size(), 4);
    EXPECT_EQ(languages[2].displayName, QStringLiteral("English"));
}

// Every key the program asks for must have a real text in every language; a forgotten
// translation fails here rather than as "########" on a user's screen.
TEST(TextCatalogue, EveryKeyInTheSourcesHasATextInEveryLanguage)
{
    static const QRegularExpression call(QStringLiteral(R"re(\btext\(\s*"([A-Za-z0-9_]+)"\s*\))re"));
    QSet<QString> keys{QStringLiteral("INFO_OK")};
    QDirIterator it(QStringLiteral(FERROLINK_TEST_SOURCE_DIR "/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString source = QString::fromUtf8(file.readAll());
        for (auto match = call.globalMatch(source); match.hasNext();)
            keys.insert(match.next().captured(1));
    }

    TextCatalogue catalogue;
    ASSERT_TRUE(catalogue.open(builtCatalogue()));
    const auto languages = catalogue.languages();
    ASSERT_EQ(languages.size(), 4);
    for (const auto &language : languages) {
        catalogue.setLanguageTable(language.table);
        for (const QString &key : keys) {
            const QString value = catalogue.text(key);
            EXPECT_NE(value, placeholder) << qPrintable(language.table) << ": " << qPrintable(key);
            EXPECT_FALSE(value.trimmed().isEmpty()) << qPrintable(language.table) << ": " << qPrintable(key);
        }
    }
}

} // namespace
