#pragma once
// The one place that lets pending window events run during long work on the GUI thread.

// Runs pending events (repaints, input, timers) and returns.
void processPendingEvents();
