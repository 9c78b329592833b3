#pragma once
// A history log that keeps its lines with their colours, for engine tests.

#include "core/historylog.h"

#include <QList>

class RecordingHistoryLog : public HistoryLog
{
public:
    struct Line {
        QString text;
        Colour colour;
    };

    void appendLine(const QString &text, Colour colour = Colour::Black) override;
    void clear() override;
    QString plainText() const override;

    const QList<Line> &lines() const { return m_lines; }

private:
    QList<Line> m_lines;
};
