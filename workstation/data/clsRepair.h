#pragma once
// List source of repair orders; also the repair history, filtered on IS_PAY = 1.
#include "DataHead.h"

class TRepair : public TData {
public:
    TRepair();
    // Mode 0 or 1 saves through SP_UD_REPAIR, mode 2 deletes through SP_DEL_REPAIR.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
};
