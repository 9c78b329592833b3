#pragma once
// The main window's progress bar as the engines see it.

class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void setRange(int minimum, int maximum) = 0;
    virtual void setValue(int value) = 0;
    virtual void reset() = 0;
};
