#pragma once
// A progress bar that keeps every range and value it was given, for engine and pane tests.

#include "core/progresssink.h"

#include <QList>
#include <QPair>

class RecordingProgress : public ProgressSink {
public:
    void setRange(int minimum, int maximum) override { ranges.append({ minimum, maximum }); }
    void setValue(int value) override { values.append(value); }
    void reset() override { values.append(-1); }
    void setShown(bool shown) override { shownCalls.append(shown); }

    QList<QPair<int, int>> ranges;
    QList<int> values;
    QList<bool> shownCalls;
};
