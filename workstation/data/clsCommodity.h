#pragma once
// List source of the parts catalogue.
#include "DataHead.h"

class TCommodity : public TData {
public:
    TCommodity();
    // Mode 0 or 1 saves through SP_UD_COMMODITY, mode 2 deletes through SP_DEL_COMMODITY.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
};
