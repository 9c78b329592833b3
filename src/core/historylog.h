#pragma once
// The coloured, append-only history log as the engines see it.

#include <QString>

class HistoryLog
{
public:
    // Colours of log lines, as RGB values.
    enum class Colour : unsigned { Black = 0x000000, Green = 0x00C800, Red = 0xC80000, Blue = 0x0000C8 };

    virtual ~HistoryLog() = default;

    // Appends text (a whole line, ending with CR LF) at the end of the log in colour.
    virtual void appendLine(const QString &text, Colour colour = Colour::Black) = 0;
    virtual void clear() = 0;
    virtual QString plainText() const = 0;
};
