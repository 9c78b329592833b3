#pragma once
// Turns the small RTF subset our documents use into a QTextDocument: paragraphs, bold, italic,
// underline, font size, the colour table and the \'xx and \uN escapes. Everything else is
// skipped, so a richer file still shows its text.

#include <QByteArray>

class QTextDocument;

class RtfReader {
public:
    // Replaces the document's content; false when data is not RTF at all.
    static bool read(const QByteArray &data, QTextDocument *document);
    // Reads the file at path; false when it cannot be read or is not RTF.
    static bool readFile(const QString &path, QTextDocument *document);
};
