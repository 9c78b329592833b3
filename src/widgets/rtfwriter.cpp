#include "widgets/rtfwriter.h"

#include <QColor>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace {

// RTF is 7-bit: everything outside ASCII becomes \uN with '?' for readers that cannot.
void appendEscaped(QByteArray &out, const QString &text)
{
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        if (unit == '\\' || unit == '{' || unit == '}') {
            out += '\\';
            out += char(unit);
        } else if (unit == '\t') {
            out += "\\tab ";
        } else if (ch == QChar::LineSeparator) {
            out += "\\line ";
        } else if (unit >= 0x20 && unit < 0x80) {
            out += char(unit);
        } else if (unit >= 0x80) {
            out += "\\u" + QByteArray::number(qint16(unit)) + '?';
        }
    }
}

int colourIndex(QList<QColor> &table, const QTextCharFormat &format)
{
    if (!format.hasProperty(QTextFormat::ForegroundBrush))
        return 0;
    const QColor colour = format.foreground().color();
    qsizetype index = table.indexOf(colour);
    if (index < 0) {
        table.append(colour);
        index = table.size() - 1;
    }
    return int(index) + 1; // entry 0 of the table is the automatic colour
}

} // namespace

QByteArray RtfWriter::write(const QTextDocument &document)
{
    QList<QColor> colours;
    QByteArray body;
    int currentColour = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            body += "\\par\n";
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const int colour = colourIndex(colours, format);
            if (colour != currentColour) {
                body += "\\cf" + QByteArray::number(colour) + ' ';
                currentColour = colour;
            }
            if ((format.fontWeight() >= QFont::Bold) != bold) {
                bold = !bold;
                body += bold ? "\\b " : "\\b0 ";
            }
            if (format.fontItalic() != italic) {
                italic = !italic;
                body += italic ? "\\i " : "\\i0 ";
            }
            if (format.fontUnderline() != underline) {
                underline = !underline;
                body += underline ? "\\ul " : "\\ulnone ";
            }
            appendEscaped(body, fragment.text());
        }
    }

    const QFont font = document.defaultFont();
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss ";
    appendEscaped(out, font.family());
    out += ";}}\n{\\colortbl ;";
    for (const QColor &colour : colours)
        out += "\\red" + QByteArray::number(colour.red()) + "\\green" + QByteArray::number(colour.green()) + "\\blue"
            + QByteArray::number(colour.blue()) + ';';
    out += "}\n\\f0\\fs" + QByteArray::number(qMax(2, qRound(font.pointSizeF() * 2))) + ' ';
    out += body;
    out += "}\n";
    return out;
}
