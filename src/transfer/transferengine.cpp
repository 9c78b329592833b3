#include "transfer/transferengine.h"

#include "transfer/transferstatus.h"

void TransferEngine::writeSummary(const TransferStatus &status)
{
    writeLine(status.summaryText());
}
