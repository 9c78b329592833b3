#include "recordinghistorylog.h"

void RecordingHistoryLog::appendLine(const QString &text, Colour colour)
{
    m_lines.append({text, colour});
}

void RecordingHistoryLog::clear()
{
    m_lines.clear();
}

QString RecordingHistoryLog::plainText() const
{
    QString text;
    for (const Line &line : m_lines)
        text += line.text;
    return text;
}
