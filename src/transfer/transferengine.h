#pragma once
// What the transfers (download, upload, and either under a typed name) share beyond the work on
// the server: the line that sums up the run.

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
