#include "core/textcatalogue.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

namespace {

bool isIdentifier(const QString &name)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return identifier.match(name).hasMatch();
}

QString columnText(sqlite3_stmt *statement, int column)
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(statement, column)) : QString();
}

} // namespace

TextCatalogue::~TextCatalogue()
{
    close();
}

bool TextCatalogue::open(const QString &path, const QString &password)
{
    close();
    if (!QFileInfo(path).isFile())
        return false;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    // With a wrong key the file reads as garbage: the first real read fails with SQLITE_NOTADB.
    QByteArray keyStatement = "PRAGMA key = '" + password.toUtf8().replace('\'', "''") + "';";
    bool ok = sqlite3_exec(db, keyStatement.constData(), nullptr, nullptr, nullptr) == SQLITE_OK
        && sqlite3_exec(db, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) == SQLITE_OK;
    keyStatement.fill('\0');
    if (!ok) {
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    return true;
}

void TextCatalogue::close()
{
    m_texts.clear();
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

QList<CatalogueLanguage> TextCatalogue::languages() const
{
    QList<CatalogueLanguage> result;
    if (!m_db)
        return result;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT * FROM languages;", -1, &statement, nullptr) != SQLITE_OK)
        return result;
    // Columns are used by position: 1 is the table, 2 the display name.
    while (sqlite3_step(statement) == SQLITE_ROW) {
        if (sqlite3_column_count(statement) < 3)
            break;
        result.append({columnText(statement, 1).trimmed(), columnText(statement, 2)});
    }
    sqlite3_finalize(statement);
    return result;
}

void TextCatalogue::setLanguageTable(const QString &table)
{
    const QString trimmed = table.trimmed();
    m_languageTable = isIdentifier(trimmed) ? trimmed : QString();
    m_texts.clear();
}

QString TextCatalogue::text(const QString &key) const
{
    const auto cached = m_texts.constFind(key);
    if (cached != m_texts.cend())
        return *cached;
    const QString result = lookUp(key);
    if (m_db && !m_languageTable.isEmpty())
        m_texts.insert(key, result);
    return result;
}

QString TextCatalogue::lookUp(const QString &key) const
{
    const QString placeholder = QString::fromLatin1(Placeholder);
    if (!m_db || m_languageTable.isEmpty())
        return placeholder;
    // The table name is a checked identifier; the key is bound, never spliced into the SQL.
    const QByteArray sql = "SELECT inhalt FROM \"" + m_languageTable.toUtf8() + "\" WHERE key = ?1 LIMIT 1;";
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return placeholder;
    }
    const QByteArray keyBytes = key.toUtf8();
    sqlite3_bind_text(statement, 1, keyBytes.constData(), int(keyBytes.size()), SQLITE_STATIC);
    QString result = placeholder;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        const QString value = columnText(statement, 0);
        if (!value.isEmpty())
            result = value;
    }
    sqlite3_finalize(statement);
    return result;
}

TextCatalogue &TextCatalogue::instance()
{
    static TextCatalogue catalogue;
    return catalogue;
}

QString TextCatalogue::defaultPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/lang.db");
}

QString text(const char *key)
{
    return TextCatalogue::instance().text(QString::fromLatin1(key));
}
