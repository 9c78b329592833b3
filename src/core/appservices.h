#pragma once
// The main window's services that panes and engines use, handed down by reference.

class HistoryLog;
class Prompts;
class ProgressSink;
class Session;

struct AppServices {
    Session &session;
    HistoryLog &history;
    Prompts &prompts;
    ProgressSink &progress;
};
