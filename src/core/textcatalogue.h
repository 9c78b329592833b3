#pragma once
// The encrypted text catalogue: the language list and the key-to-text look-up.

#include <QHash>
#include <QList>
#include <QString>

struct sqlite3;

// One row of the catalogue's language list.
struct CatalogueLanguage {
    QString table;       // the language's text table
    QString displayName; // shown in the start dialog
};

class TextCatalogue
{
public:
    static constexpr const char *Placeholder = "########";
    static constexpr const char *Password = "KT82PNV36RQX";

    TextCatalogue() = default;
    ~TextCatalogue();
    TextCatalogue(const TextCatalogue &) = delete;
    TextCatalogue &operator=(const TextCatalogue &) = delete;

    // Opens the file read-only with the password; false when it is missing, not a catalogue or
    // the password is wrong.
    bool open(const QString &path, const QString &password = QString::fromLatin1(Password));
    void close();
    bool isOpen() const { return m_db != nullptr; }

    // The language rows in the order the database returns them; empty when not open.
    QList<CatalogueLanguage> languages() const;

    // Accepts only a plain identifier; anything else leaves no language chosen.
    void setLanguageTable(const QString &table);
    QString languageTable() const { return m_languageTable; }

    // The text of key in the chosen language, or the placeholder on any failure.
    QString text(const QString &key) const;

    // The program's catalogue; opened by the start dialog, closed when the main window closes.
    static TextCatalogue &instance();
    // The catalogue file beside the executable.
    static QString defaultPath();

private:
    QString lookUp(const QString &key) const;

    sqlite3 *m_db = nullptr;
    QString m_languageTable;
    // Every text asked for in the chosen language: the engines ask for the same few texts per
    // entry of a run, and a query costs far more than a hash look-up.
    mutable QHash<QString, QString> m_texts;
};

// Short form used all over the program: the text of key in the chosen language.
// Always pass the key as a literal, so the catalogue check finds every key the program uses.
QString text(const char *key);
