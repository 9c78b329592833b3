#include "widgets/rtfreader.h"

#include <QColor>
#include <QFile>
#include <QList>
#include <QStringDecoder>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <cctype>
#include <optional>

namespace {

// Destinations whose content is never shown text (RTF 1.9, "Destinations").
bool isHiddenDestination(const QByteArray &word)
{
    static const QList<QByteArray> hidden { "fonttbl", "stylesheet", "info", "pict", "header", "headerl", "headerr",
        "footer", "footerl", "footerr", "object", "listtable", "filetbl", "revtbl", "rsidtbl", "generator", "themedata",
        "datastore", "latentstyles", "xmlnstbl", "listoverridetable", "colorschememapping" };
    return hidden.contains(word);
}

class Parser {
public:
    Parser(const QByteArray &data, QTextDocument *document)
        : m_data(data)
        , m_cursor(document)
        , m_decoder("windows-1252")
    {
    }

    void run()
    {
        m_states.append(State {});
        while (m_pos < m_data.size()) {
            const char c = m_data.at(m_pos++);
            switch (c) {
            case '{':
                m_states.append(m_states.last());
                break;
            case '}':
                if (m_states.size() > 1)
                    m_states.removeLast();
                break;
            case '\\':
                readControl();
                break;
            case '\r':
            case '\n':
                break;
            default:
                plainCharacter(c);
            }
        }
    }

private:
    struct State {
        QTextCharFormat format;
        int unicodeSkip = 1; // \ucN: fallback characters that follow each \uN
        bool hidden = false;
        bool colourTable = false;
    };

    State &state() { return m_states.last(); }

    void readControl()
    {
        if (m_pos >= m_data.size())
            return;
        const char c = m_data.at(m_pos);
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_data.size() && std::isalpha(static_cast<unsigned char>(m_data.at(m_pos))))
            ++m_pos;
        const QByteArray word = m_data.mid(start, m_pos - start);
        std::optional<int> parameter;
        const qsizetype numberStart = m_pos;
        if (m_pos < m_data.size() && m_data.at(m_pos) == '-')
            ++m_pos;
        while (m_pos < m_data.size() && std::isdigit(static_cast<unsigned char>(m_data.at(m_pos))))
            ++m_pos;
        if (m_pos > numberStart)
            parameter = m_data.mid(numberStart, m_pos - numberStart).toInt();
        // A single blank ends the control word and belongs to it.
        if (m_pos < m_data.size() && m_data.at(m_pos) == ' ')
            ++m_pos;
        controlWord(word, parameter);
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\'': {
            bool isHex = false;
            const int byte = m_data.mid(m_pos, 2).toInt(&isHex, 16);
            m_pos = qMin(m_pos + 2, m_data.size());
            if (isHex)
                character(decoded(char(byte)));
            break;
        }
        case '*':
            state().hidden = true; // an optional destination we do not know
            break;
        case '~':
            character(QString(QChar(0x00A0)));
            break;
        case '_':
            character(QStringLiteral("-"));
            break;
        case '\r':
        case '\n':
            controlWord("par", std::nullopt);
            break;
        case '\\':
        case '{':
        case '}':
            character(QString(QChar::fromLatin1(c)));
            break;
        default:
            break; // \- optional hyphen and the like
        }
    }

    void controlWord(const QByteArray &word, std::optional<int> parameter)
    {
        State &s = state();
        const bool on = parameter.value_or(1) != 0;
        if (isHiddenDestination(word)) {
            s.hidden = true;
        } else if (word == "colortbl") {
            s.colourTable = true;
            m_colours.clear();
        } else if (s.colourTable) {
            if (word == "red")
                m_red = parameter.value_or(0);
            else if (word == "green")
                m_green = parameter.value_or(0);
            else if (word == "blue")
                m_blue = parameter.value_or(0);
        } else if (word == "par") {
            if (!s.hidden)
                m_cursor.insertBlock();
        } else if (word == "line") {
            character(QString(QChar::LineSeparator));
        } else if (word == "tab") {
            character(QStringLiteral("\t"));
        } else if (word == "b") {
            s.format.setFontWeight(on ? QFont::Bold : QFont::Normal);
        } else if (word == "i") {
            s.format.setFontItalic(on);
        } else if (word == "ul") {
            s.format.setFontUnderline(on);
        } else if (word == "ulnone") {
            s.format.setFontUnderline(false);
        } else if (word == "fs" && parameter && *parameter > 0) {
            s.format.setFontPointSize(*parameter / 2.0); // half points
        } else if (word == "cf" && parameter) {
            const QColor colour = m_colours.value(*parameter);
            if (colour.isValid())
                s.format.setForeground(colour);
            else
                s.format.clearForeground(); // index 0 or unknown: the automatic colour
        } else if (word == "plain") {
            s.format = QTextCharFormat();
        } else if (word == "uc" && parameter) {
            s.unicodeSkip = qMax(0, *parameter);
        } else if (word == "u" && parameter) {
            // \uN is a signed 16-bit UTF-16 unit; surrogate pairs come as two of them.
            character(QString(QChar(char16_t(*parameter < 0 ? *parameter + 65536 : *parameter))));
            m_skip = s.unicodeSkip;
        }
    }

    void plainCharacter(char c)
    {
        if (state().colourTable) {
            if (c == ';') {
                // The entry before the first ';' is empty: the automatic colour.
                const bool automatic = m_red < 0 && m_green < 0 && m_blue < 0;
                m_colours.append(automatic ? QColor() : QColor(qMax(0, m_red), qMax(0, m_green), qMax(0, m_blue)));
                m_red = m_green = m_blue = -1;
            }
            return;
        }
        character(decoded(c));
    }

    // Bytes outside ASCII are in the document's code page, Windows-1252 for the files we read.
    QString decoded(char byte)
    {
        return m_decoder.isValid() ? m_decoder.decode(QByteArray(1, byte)) : QString(QChar::fromLatin1(byte));
    }

    void character(const QString &text)
    {
        if (m_skip > 0) {
            --m_skip; // the fallback of a preceding \uN
            return;
        }
        if (state().hidden || state().colourTable)
            return;
        m_cursor.insertText(text, state().format);
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    QTextCursor m_cursor;
    QStringDecoder m_decoder;
    QList<State> m_states;
    QList<QColor> m_colours;
    int m_red = -1;
    int m_green = -1;
    int m_blue = -1;
    int m_skip = 0;
};

} // namespace

bool RtfReader::read(const QByteArray &data, QTextDocument *document)
{
    if (!data.trimmed().startsWith("{\\rtf"))
        return false;
    document->clear();
    Parser(data, document).run();
    return true;
}

bool RtfReader::readFile(const QString &path, QTextDocument *document)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return read(file.readAll(), document);
}
