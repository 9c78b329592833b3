#pragma once
// The list of file extensions that automatic mode uploads as text (ascii.dat): where it lives,
// its file format, and the per-file decision.

#include <QString>
#include <QStringList>

class AsciiList {
public:
    static constexpr const char *FileName = "ascii.dat";

    // userPath is the user's own copy, defaultPath the list shipped with the program.
    AsciiList(const QString &userPath, const QString &defaultPath);
    // The user's copy in the config folder over the shipped list beside the executable.
    static AsciiList standard();

    QString userPath() const { return m_userPath; }
    QString defaultPath() const { return m_defaultPath; }
    // The file in force: the user's copy when there is one, else the shipped list.
    QString path() const;

    // The items of the file in force; empty when it is missing or unreadable.
    QStringList items() const;
    // True when automatic mode sends fileName as text. Reads the file anew on every call, so a
    // list just taken over counts from the next file on.
    bool IsAsciiFile(const QString &fileName) const;

    // Replaces the user's copy with items, one per line; false (and errorString()) on failure,
    // the copy on disk then unchanged.
    bool write(const QStringList &items);
    QString errorString() const { return m_errorString; }

    // The items of the file at path: split at line ends and commas, blanks around an item
    // dropped, an item in double quotes taken as it stands without them, empty items skipped.
    static QStringList read(const QString &path);

private:
    QString m_userPath;
    QString m_defaultPath;
    QString m_errorString;
};
