#pragma once
// Writes a QTextDocument as RTF with its colours, bold, italic and underline, so that a pasted
// log keeps its coloured lines in word processors.

#include <QByteArray>

class QTextDocument;

class RtfWriter {
public:
    static QByteArray write(const QTextDocument &document);
};
