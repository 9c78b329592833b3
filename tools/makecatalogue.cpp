// Build-time tool: turns the reviewable text sources of data/catalogue into the encrypted
// lang.db the program reads at run time.
//
//   makecatalogue SOURCE_DIR OUTPUT_FILE PASSWORD
//
// SOURCE_DIR/languages.tsv lists "table<TAB>display name" in the order the start dialog shows
// them; SOURCE_DIR/<table>.tsv holds "KEY<TAB>text" lines. Blank lines and lines starting with
// '#' are ignored. Texts are taken exactly as written after the first tab (blanks kept).
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <sqlite3.h>

namespace {

struct Row {
    QString first;
    QString second;
};

bool readTable(const QString &path, QList<Row> &rows)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "makecatalogue: cannot read %s\n", qPrintable(path));
        return false;
    }
    int lineNumber = 0;
    QSet<QString> seen;
    while (!file.atEnd()) {
        ++lineNumber;
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(u'\n') || line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0) {
            std::fprintf(stderr, "%s:%d: expected KEY<TAB>text\n", qPrintable(path), lineNumber);
            return false;
        }
        const QString key = line.left(tab);
        if (seen.contains(key)) {
            std::fprintf(stderr, "%s:%d: duplicate key %s\n", qPrintable(path), lineNumber, qPrintable(key));
            return false;
        }
        seen.insert(key);
        rows.append({key, line.mid(tab + 1)});
    }
    return true;
}

bool exec(sqlite3 *db, const QString &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "makecatalogue: %s\n", error ? error : "sqlite error");
        sqlite3_free(error);
        return false;
    }
    return true;
}

bool insertRows(sqlite3 *db, const QString &sql, const QList<Row> &rows, bool withPosition)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        return false;
    bool ok = true;
    int position = 1;
    for (const Row &row : rows) {
        const QByteArray first = row.first.toUtf8();
        const QByteArray second = row.second.toUtf8();
        int column = 1;
        if (withPosition)
            sqlite3_bind_int(statement, column++, position++);
        sqlite3_bind_text(statement, column++, first.constData(), int(first.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, column++, second.constData(), int(second.size()), SQLITE_TRANSIENT);
        ok = ok && sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: makecatalogue SOURCE_DIR OUTPUT_FILE PASSWORD\n");
        return 2;
    }
    const QString sourceDir = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString tmp = output + QStringLiteral(".tmp");

    QList<Row> languages;
    if (!readTable(sourceDir + QStringLiteral("/languages.tsv"), languages))
        return 1;
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    for (const Row &language : languages) {
        if (!identifier.match(language.first).hasMatch()) {
            std::fprintf(stderr, "makecatalogue: table name %s is not an identifier\n", qPrintable(language.first));
            return 1;
        }
    }

    QFile::remove(tmp);
    sqlite3 *db = nullptr;
    if (sqlite3_open(tmp.toUtf8().constData(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "makecatalogue: cannot create %s\n", qPrintable(tmp));
        return 1;
    }
    const QByteArray password = QByteArray(argv[3]).replace('\'', "''");
    bool ok = exec(db, QStringLiteral("PRAGMA key = '%1';").arg(QString::fromUtf8(password)))
        && exec(db, QStringLiteral("BEGIN;"))
        && exec(db, QStringLiteral("CREATE TABLE languages (id INTEGER PRIMARY KEY, tablename TEXT NOT NULL, "
                                   "displayname TEXT NOT NULL);"))
        && insertRows(db, QStringLiteral("INSERT INTO languages VALUES (?, ?, ?);"), languages, true);
    for (const Row &language : languages) {
        QList<Row> texts;
        ok = ok && readTable(sourceDir + u'/' + language.first + QStringLiteral(".tsv"), texts)
            && exec(db, QStringLiteral("CREATE TABLE %1 (key TEXT PRIMARY KEY, inhalt TEXT);").arg(language.first))
            && insertRows(db, QStringLiteral("INSERT INTO %1 VALUES (?, ?);").arg(language.first), texts, false);
    }
    ok = ok && exec(db, QStringLiteral("COMMIT;"));
    sqlite3_close(db);
    if (!ok) {
        QFile::remove(tmp);
        return 1;
    }
    QFile::remove(output);
    if (!QFile::rename(tmp, output)) {
        std::fprintf(stderr, "makecatalogue: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
