#include "widgets/rtfreader.h"
#include "widgets/rtfwriter.h"

#include <QCoreApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

// The character format of the first character of word in the document.
QTextCharFormat formatOf(const QTextDocument &document, const QString &word)
{
    const int position = document.toPlainText().indexOf(word);
    EXPECT_GE(position, 0) << qPrintable(word);
    QTextCursor cursor(const_cast<QTextDocument *>(&document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

TEST(RtfReader, ReadsTheSubsetOurDocumentsUse)
{
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                           "{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green0\\blue200;}"
                           "{\\*\\generator Hidden writer;}\\f0\\fs20 Plain \\b bold\\b0  \\cf1 red\\cf0  "
                           "gr\\'fc\\'dfe \\u8364? \\{braces\\}\\par "
                           "{\\i italic} \\ul under\\ulnone  \\fs32 big \\plain plain\\par}";
    QTextDocument document;
    ASSERT_TRUE(RtfReader::read(rtf, &document));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Plain bold red grüße € {braces}\nitalic under big plain\n"));

    EXPECT_EQ(formatOf(document, QStringLiteral("bold")).fontWeight(), QFont::Bold);
    EXPECT_NE(formatOf(document, QStringLiteral("Plain")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(document, QStringLiteral("red")).foreground().color(), QColor(200, 0, 0));
    EXPECT_FALSE(formatOf(document, QStringLiteral("grüße")).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_TRUE(formatOf(document, QStringLiteral("italic")).fontItalic());
    EXPECT_FALSE(formatOf(document, QStringLiteral("under")).fontItalic()); // the group ended
    EXPECT_TRUE(formatOf(document, QStringLiteral("under")).fontUnderline());
    EXPECT_FALSE(formatOf(document, QStringLiteral("big")).fontUnderline());
    EXPECT_DOUBLE_EQ(formatOf(document, QStringLiteral("Plain")).fontPointSize(), 10.0);
    EXPECT_DOUBLE_EQ(formatOf(document, QStringLiteral("big")).fontPointSize(), 16.0);
    EXPECT_FALSE(formatOf(document, QStringLiteral("plain")).hasProperty(QTextFormat::FontPointSize));
}

TEST(RtfReader, RefusesWhatIsNotRtf)
{
    QTextDocument document;
    EXPECT_FALSE(RtfReader::read("Just text", &document));
    EXPECT_FALSE(RtfReader::readFile(QStringLiteral("/nonexistent/la.rtf"), &document));

    // Broken escapes and unbalanced groups lose only what is broken.
    ASSERT_TRUE(RtfReader::read("{\\rtf1 a\\'zzb}}}{c\\u", &document));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("abc"));
}

TEST(RtfReader, ShowsTheShippedAgreement)
{
    QTextDocument document;
    ASSERT_TRUE(
        RtfReader::readFile(QCoreApplication::applicationDirPath() + QStringLiteral("/Dateien/la.rtf"), &document));
    const QString text = document.toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Ferrolink – Licence Agreement\n"))) << qPrintable(text.left(60));
    EXPECT_FALSE(text.contains(QLatin1Char('\\')));
    EXPECT_FALSE(text.contains(QStringLiteral("Arial"))); // the font table is no text
    EXPECT_EQ(formatOf(document, QStringLiteral("Licence Agreement")).fontWeight(), QFont::Bold);
}

// What the writer puts on the clipboard reads back with the same text and colours.
TEST(RtfWriter, RoundTripKeepsTextAndColours)
{
    QTextDocument original;
    QTextCursor cursor(&original);
    const QList<std::pair<QString, QColor>> lines { { QStringLiteral("Connecting to host ..."), QColor() },
        { QStringLiteral("Verbindung hergestellt: {ok} \\ ✓"), QColor(0, 200, 0) },
        { QStringLiteral("Échec"), QColor(200, 0, 0) }, { QStringLiteral("passive on"), QColor(0, 0, 200) } };
    for (const auto &[text, colour] : lines) {
        QTextCharFormat format;
        if (colour.isValid())
            format.setForeground(colour);
        cursor.insertText(text + QStringLiteral("\r\n"), format);
    }

    const QByteArray rtf = RtfWriter::write(original);
    for (const char byte : rtf)
        ASSERT_LT(static_cast<unsigned char>(byte), 0x80) << "RTF must be 7-bit";

    QTextDocument copy;
    ASSERT_TRUE(RtfReader::read(rtf, &copy));
    EXPECT_EQ(copy.toPlainText(), original.toPlainText());
    for (const auto &[text, colour] : lines) {
        const QTextCharFormat format = formatOf(copy, text);
        if (colour.isValid())
            EXPECT_EQ(format.foreground().color(), colour) << qPrintable(text);
        else
            EXPECT_FALSE(format.hasProperty(QTextFormat::ForegroundBrush)) << qPrintable(text);
    }
}

} // namespace
