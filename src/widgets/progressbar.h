#pragma once
// The main window's progress bar pgbBottom, offered to the engines as their ProgressSink.

#include "core/progresssink.h"

#include <QProgressBar>

class ProgressBar : public QProgressBar, public ProgressSink {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget *parent = nullptr);

    // The engines' calls go to the bar's own slots of the same names.
    void setRange(int minimum, int maximum) override;
    void setValue(int value) override;
    void reset() override;
    void setShown(bool shown) override;
};
