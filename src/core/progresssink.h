#pragma once
// The main window's progress bar as the engines see it.

class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void setRange(int minimum, int maximum) = 0;
    virtual void setValue(int value) = 0;
    virtual void reset() = 0;
    // Shows or hides the bar; a hidden bar keeps its room, so the window does not jump.
    virtual void setShown(bool shown) = 0;
};
