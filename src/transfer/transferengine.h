#pragma once
// What the download and upload engines share beyond the work on the server: the run's summary.

#include "transfer/serverengine.h"

class TransferStatus;

class TransferEngine : public ServerEngine {
public:
    using ServerEngine::ServerEngine;

protected:
    // The run's summary as its last line, in black: each file's own line already says in colour
    // how it went.
    void writeSummary(const TransferStatus &status);
};
